#include "common/progress.h"

#include <chrono>
#include <future>

namespace {

class SilentProgress final : public ProgressReporter
{
public:
    void begin(const QString&) override {}
    void advance(qint64, qint64) override {}
    void end() override {}
};

SilentProgress silentProgress;
ProgressReporter* installedReporter = &silentProgress;

} // namespace

ProgressReporter& progressReporter()
{
    return *installedReporter;
}

void setProgressReporter(ProgressReporter* reporter)
{
    installedReporter = reporter ? reporter : &silentProgress;
}

void runKeepingProgressAlive(ProgressTask& task, const std::function<void()>& work)
{
    std::future<void> done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(40)) != std::future_status::ready)
        task.advance(0, 0);
    done.get();
}
