#include "cxRegExprStates.h"

void TcxRegExprSimpleState::Enter(TcxRegExprStep& step) {
    if (FirstVisit(step) && item_)
        step.reachable.push_back(this);
}

void TcxRegExprBlockState::Enter(TcxRegExprStep& step) {
    if (FirstVisit(step))
        Step(step);
}
