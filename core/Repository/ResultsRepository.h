#pragma once

#include "core/ResultsModel.h"

#include <functional>

// The results service's only client. Each fetch makes its own configuration, session and task
// and keeps nothing afterwards.
class ResultsRepository {
public:
    // Sends one GET for /api/v1/stat and returns at once. On the session's queue, the decoded
    // model goes to completionBlock; any failure writes one line instead and never calls back.
    // The HTTP status is not looked at: a body that decodes is the answer.
    static void fetchResutls(std::function<void(ResultsModel)> completionBlock);
};
