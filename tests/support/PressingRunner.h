#pragma once

#include "util/TaskRunner.h"

#include <functional>

namespace kv::test {

// Runs the work at once, calling `press` first: a click the user makes while the work runs (a
// second press of the run button, Cancel, a look at the screen).
class PressingRunner : public TaskRunner
{
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        if (press)
            press();
        work();
        done();
    }
    std::function<void()> press;
};

} // namespace kv::test
