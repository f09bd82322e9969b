// Second pass of the compilation: lexems into a tree of alternatives.
#pragma once

#include "cxRegExprLexer.h"
#include "cxRegExprParserItems.h"

#include <cstddef>

struct TcxRegExprLimits {
    std::size_t maxStates; // states the tree may create, clones included
    std::size_t maxDepth;  // blocks nested inside one another
};

// Builds the tree of lexems that lexed without errors; appends what is
// wrong with them to errors. The tree is complete only when none were added.
TcxRegExprParserAlts RegExprParse(const TcxLexems& lexems, const TcxRegExprLimits& limits,
                                  TcxRegExprErrors& errors);
