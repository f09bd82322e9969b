#include "cxRegExprStates.h"

void TcxRegExprSimpleState::Enter(TcxRegExprStep& step) {
    if (FirstVisit(step) && item_ && item_->Test(step.c, step.caseInsensitive))
        step.reached->push_back(this);
}

void TcxRegExprBlockState::Enter(TcxRegExprStep& step) {
    if (FirstVisit(step))
        Step(step);
}
