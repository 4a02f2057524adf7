// What one read of the interface table costs on this machine's Linux back
// end: the monitor's own read (CIpHelper::Interfaces, which goes through
// GetIfTable's probe and fill) and the kernel read under it (LinkTable::Read),
// for the machine's interfaces and for 1,000 ifb interfaces in a network
// namespace of the benchmark's own.
#include "platform/Backend.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxBackend.h"
#include "stats/CIpHelper.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* NamespaceName = "corvane-bench";
constexpr int NamespaceInterfaces = 1000;

bool Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The namespace with its 1,000 interfaces, made before the benchmarks run
// and deleted when this object goes. Should the process die first (a crash,
// an interrupt), a watcher process left behind deletes it.
class BenchNamespace {
public:
    BenchNamespace() = default;
    ~BenchNamespace()
    {
        Remove();
        if (watcherPipe_ >= 0) {
            ::close(watcherPipe_);
            ::waitpid(watcher_, nullptr, 0);
        }
    }
    BenchNamespace(const BenchNamespace&) = delete;
    BenchNamespace& operator=(const BenchNamespace&) = delete;

    // Empty on success, else why the namespace could not be made.
    std::string Make()
    {
        if (::geteuid() != 0)
            return "making a network namespace needs root";
        Run(std::string("ip netns del ") + NamespaceName + " 2>/dev/null");
        if (!Run(std::string("ip netns add ") + NamespaceName))
            return "ip netns add failed";
        made_ = true;
        StartWatcher();

        char path[] = "/tmp/corvane-bench-XXXXXX";
        const int fd = ::mkstemp(path);
        if (fd < 0)
            return "no temporary file for the ip batch";
        FILE* batch = ::fdopen(fd, "w");
        for (int i = 0; i < NamespaceInterfaces; ++i)
            std::fprintf(batch, "link add ifb%d type ifb\n", i);
        for (int i = 0; i < NamespaceInterfaces; ++i)
            std::fprintf(batch, "link set ifb%d up\n", i);
        std::fclose(batch);
        const bool added = Run(std::string("ip -n ") + NamespaceName + " -batch " + path);
        ::unlink(path);
        if (!added)
            return "adding the ifb interfaces failed";
        return {};
    }

    void Remove()
    {
        if (made_)
            Run(std::string("ip netns del ") + NamespaceName);
        made_ = false;
    }

private:
    void StartWatcher()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        // Everything the child needs is made before the fork: after it, in a
        // process that may have threads, only plain system calls are safe.
        static const std::string command = std::string("ip netns del ") + NamespaceName + " 2>/dev/null";
        char* const args[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                              const_cast<char*>(command.c_str()), nullptr};
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Out of the terminal's process group, so that an interrupt meant
            // for the benchmark leaves the watcher to clean up after it.
            ::setsid();
            ::close(fds[1]);
            char byte;
            while (::read(fds[0], &byte, 1) != 0 && errno == EINTR) {
            }
            ::execve("/bin/sh", args, environ);
            ::_exit(127);
        }
        ::close(fds[0]);
        if (pid < 0) {
            ::close(fds[1]);
            return;
        }
        watcher_ = pid;
        watcherPipe_ = fds[1];
    }

    bool made_ = false;
    pid_t watcher_ = -1;
    int watcherPipe_ = -1;
};

// Moves the calling thread into the benchmark's namespace while it lives.
class InsideNamespace {
public:
    InsideNamespace()
    {
        home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = ::open((std::string("/run/netns/") + NamespaceName).c_str(), O_RDONLY | O_CLOEXEC);
        entered_ = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0)
            ::close(target);
    }
    ~InsideNamespace()
    {
        if (entered_ && ::setns(home_, CLONE_NEWNET) != 0) {
            std::perror("cannot return to the original network namespace");
            std::abort();
        }
        if (home_ >= 0)
            ::close(home_);
    }
    InsideNamespace(const InsideNamespace&) = delete;
    InsideNamespace& operator=(const InsideNamespace&) = delete;

    bool Entered() const { return entered_; }

private:
    int home_ = -1;
    bool entered_ = false;
};

// A Linux back end of its own, opened on its first read in the namespace
// current then, and answering every platform call while this object lives.
class FreshBackend {
public:
    FreshBackend() { InstallBackend(&backend_); }
    ~FreshBackend() { InstallBackend(nullptr); }
    FreshBackend(const FreshBackend&) = delete;
    FreshBackend& operator=(const FreshBackend&) = delete;

private:
    LinuxBackend backend_;
};

void ReadInterfaces(benchmark::State& state)
{
    // The first read also asks each driver for its speed and name; that is
    // once per interface and not what a refresh costs.
    {
        LinkTable probe;
        std::vector<MIB_IFROW> rows;
        if (!probe.Read(rows)) {
            state.SkipWithError("the interface table cannot be read");
            return;
        }
    }
    CIpHelper helper;
    auto warm = helper.Interfaces();
    const LONG interfaces = warm->Count();
    for (auto _ : state) {
        auto snapshot = helper.Interfaces();
        benchmark::DoNotOptimize(snapshot);
        benchmark::DoNotOptimize(helper.BytesReceived());
    }
    state.counters["interfaces"] = interfaces;
}

void ReadLinkTable(benchmark::State& state)
{
    LinkTable table;
    std::vector<MIB_IFROW> rows;
    if (!table.Read(rows)) {
        state.SkipWithError("the interface table cannot be read");
        return;
    }
    for (auto _ : state) {
        if (!table.Read(rows)) {
            state.SkipWithError("a read failed");
            break;
        }
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["interfaces"] = static_cast<double>(rows.size());
}

void BM_Interfaces_Machine(benchmark::State& state)
{
    // The back end the program itself uses.
    ReadInterfaces(state);
}

void BM_LinkTableRead_Machine(benchmark::State& state)
{
    ReadLinkTable(state);
}

void BM_Interfaces_Namespace1000(benchmark::State& state)
{
    InsideNamespace inside;
    if (!inside.Entered()) {
        state.SkipWithError("cannot enter the benchmark's network namespace");
        return;
    }
    FreshBackend backend;
    ReadInterfaces(state);
}

void BM_LinkTableRead_Namespace1000(benchmark::State& state)
{
    InsideNamespace inside;
    if (!inside.Entered()) {
        state.SkipWithError("cannot enter the benchmark's network namespace");
        return;
    }
    ReadLinkTable(state);
}

} // namespace

int main(int argc, char** argv)
{
    // The monitor's read may put up a message box; it needs an application,
    // and no display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    benchmark::RegisterBenchmark("Interfaces/machine", BM_Interfaces_Machine)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("LinkTableRead/machine", BM_LinkTableRead_Machine)
        ->Unit(benchmark::kMicrosecond);

    BenchNamespace ns;
    const std::string why = ns.Make();
    if (why.empty()) {
        benchmark::RegisterBenchmark("Interfaces/namespace_1000_ifb", BM_Interfaces_Namespace1000)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("LinkTableRead/namespace_1000_ifb", BM_LinkTableRead_Namespace1000)
            ->Unit(benchmark::kMicrosecond);
    } else {
        ns.Remove();
        std::fprintf(stderr, "Skipping the 1,000-interface namespace case: %s.\n", why.c_str());
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
