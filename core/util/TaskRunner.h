#pragma once

#include <functional>

namespace kv {

// Runs long work (zipping, verifying) away from the screen's thread. The GUI runs the work on a
// worker thread and calls done on its own thread afterwards, so the window stays responsive;
// the command line and the tests run both at once on the calling thread.
class TaskRunner
{
public:
    virtual ~TaskRunner() = default;
    virtual void run(std::function<void()> work, std::function<void()> done) = 0;
};

class InlineTaskRunner : public TaskRunner
{
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        work();
        done();
    }
};

} // namespace kv
