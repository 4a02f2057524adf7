// The monitor's counts as a person reads them, with the Linux back end reading
// a network namespace of the test's own that carries only the test's traffic:
// past 2^31 bytes, with a link that carries traffic going away and another
// moving in, and with links coming and going by the hundred.
#include "AllWindows.h"
#include "QtPrinters.h"
#include "platform/linux/LinuxBackend.h"
#include "platform/linux/LinuxTray.h"
#include "platform/linux/NetConfig.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/NumberText.h"
#include "ui/details.h"
#include "ui/frmAbout.h"
#include "ui/ig.h"
#include "ui/settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <net/if.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

bool Shell(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, p)) > 0)
            text.append(chunk, n);
        ::pclose(p);
    }
    return text;
}

// A named network namespace without IPv6, so that nothing but what the test
// sends moves over its links; gone again with this object.
class Namespace {
public:
    explicit Namespace(const std::string& role) : name_("cv8-" + role + "-" + std::to_string(::getpid()))
    {
        Shell("ip netns del " + name_);
        made_ =
            Shell("ip netns add " + name_)
            && Shell("ip netns exec " + name_
                     + " sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1");
    }
    ~Namespace() { Shell("ip netns del " + name_); }
    Namespace(const Namespace&) = delete;
    Namespace& operator=(const Namespace&) = delete;

    bool Made() const { return made_; }
    const std::string& Name() const { return name_; }
    bool Ip(const std::string& arguments) const { return Shell("ip -n " + name_ + " " + arguments); }

    struct Bytes {
        std::uint64_t rx = 0;
        std::uint64_t tx = 0;
    };
    // The kernel's own 64-bit counters of each interface, by name.
    std::map<std::string, Bytes> Counters() const
    {
        std::map<std::string, Bytes> result;
        const auto doc =
            QJsonDocument::fromJson(QByteArray::fromStdString(Output("ip -n " + name_ + " -j -s link show")));
        for (const auto& v : doc.array()) {
            const QJsonObject link = v.toObject();
            const QJsonObject stats = link[QStringLiteral("stats64")].toObject();
            result[link[QStringLiteral("ifname")].toString().toStdString()] =
                Bytes{static_cast<std::uint64_t>(
                          stats[QStringLiteral("rx")].toObject()[QStringLiteral("bytes")].toDouble()),
                      static_cast<std::uint64_t>(
                          stats[QStringLiteral("tx")].toObject()[QStringLiteral("bytes")].toDouble())};
        }
        return result;
    }

private:
    std::string name_;
    bool made_ = false;
};

// Puts this thread into a namespace while it lives. Sockets keep the
// namespace they were made in, so the back end made inside reads it.
class Inside {
public:
    explicit Inside(const Namespace& ns)
    {
        home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int fd = ::open(("/run/netns/" + ns.Name()).c_str(), O_RDONLY | O_CLOEXEC);
        entered_ = home_ >= 0 && fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    ~Inside()
    {
        if (entered_)
            ::setns(home_, CLONE_NEWNET);
        if (home_ >= 0)
            ::close(home_);
    }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;
    bool Entered() const { return entered_; }

private:
    int home_ = -1;
    bool entered_ = false;
};

// This machine's back end, but message boxes are recorded rather than shown,
// the tray's tip is kept as the tray would show it, and the process stays.
class WatchedLinux : public LinuxBackend {
public:
    std::vector<QString> boxes;
    QString tip;
    QString folder;

    int MessageBox(HWND, const QString& text, const QString&, UINT) override
    {
        boxes.push_back(text);
        return IDOK;
    }
    BOOL Shell_NotifyIconW(DWORD, NOTIFYICONDATA* data) override
    {
        if (data)
            tip = LinuxTray::TipText(*data);
        return TRUE;
    }
    void ExitProcess(UINT) override {}
    QString AppPath() override { return folder; }
};

class Counts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "making network namespaces needs root";
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        ReloadUserLocale();
    }
    void TearDown() override
    {
        // The windows go first: the main window's end still calls the shell.
        UnloadAllWindows();
        InstallBackend(nullptr);
        backend_.reset();
    }

    // Starts the monitor on a back end made in this thread's namespace.
    Form1& Start()
    {
        backend_ = std::make_unique<WatchedLinux>();
        backend_->folder = folder_.path();
        InstallBackend(backend_.get());
        Form1& f = Form1::Instance();
        // What the start-up's own look-ups may have to say in a bare
        // namespace is not what these tests look at.
        backend_->boxes.clear();
        return f;
    }
    WatchedLinux& backend() { return *backend_; }

    // One tick of the sampler and one of the rate meter.
    static void Tick()
    {
        Form1::Instance().Timer1->Tick();
        ig().Timer1->Tick();
    }
    // Every label that shows a count or a rate, and the tray's tip.
    QStringList Shown()
    {
        Form1& f = Form1::Instance();
        Form2& bar = Form2::Instance();
        return {f.lblRecv->text(), f.lblSent->text(), f.incommin->text(), f.outgoin->text(), bar.br->text(),
                bar.bs->text(),    bar.ib->text(),    bar.ob->text(),     backend().tip};
    }
    static std::uint64_t Count(Label* label) { return label->text().toULongLong(); }
    static QString Grouped(std::uint64_t total)
    {
        return QLocale(QStringLiteral("en_US")).toString(static_cast<qulonglong>(total % (1ull << 32)));
    }

private:
    QTemporaryDir folder_;
    std::unique_ptr<WatchedLinux> backend_;
};

// Datagrams over the loopback, to a socket that never reads them: the
// loopback counts them all the same.
class LoopbackSender {
public:
    LoopbackSender()
    {
        sink_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sender_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        to_.sin_family = AF_INET;
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof to_;
        ok_ = sink_ >= 0 && sender_ >= 0 && ::bind(sink_, reinterpret_cast<sockaddr*>(&to_), sizeof to_) == 0
              && ::getsockname(sink_, reinterpret_cast<sockaddr*>(&to_), &length) == 0;
    }
    ~LoopbackSender()
    {
        if (sink_ >= 0)
            ::close(sink_);
        if (sender_ >= 0)
            ::close(sender_);
    }
    bool Ok() const { return ok_; }
    // Sends `count` datagrams of `size` bytes; how many went.
    int Send(int count, std::size_t size)
    {
        std::vector<char> data(size, 'c');
        int sent = 0;
        for (int i = 0; i < count; ++i)
            sent += ::sendto(sender_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to_),
                             sizeof to_)
                    == static_cast<ssize_t>(size);
        return sent;
    }

private:
    int sink_ = -1;
    int sender_ = -1;
    sockaddr_in to_{};
    bool ok_ = false;
};

TEST_F(Counts, PastTwoGigabytesOverTheLoopbackNothingTurnsNegative)
{
    Namespace ns("lo");
    ASSERT_TRUE(ns.Made());
    ASSERT_TRUE(ns.Ip("link set lo up"));
    Inside inside(ns);
    ASSERT_TRUE(inside.Entered());
    Start();
    LoopbackSender loopback;
    ASSERT_TRUE(loopback.Ok());

    const auto start = ns.Counters().at("lo");
    Tick();
    // 2.4 GB in 60,000-byte datagrams, a tick after every tenth of it.
    constexpr int Datagrams = 40000;
    constexpr std::size_t Size = 60000;
    for (int part = 0; part < 10; ++part) {
        ASSERT_EQ(loopback.Send(Datagrams / 10, Size), Datagrams / 10);
        Tick();
        for (const QString& text : Shown())
            EXPECT_FALSE(text.contains(QLatin1Char('-'))) << text.toStdString();
        EXPECT_NE(Form1::Instance().incommin->text(), QStringLiteral("0 kbps"));
    }
    const auto end = ns.Counters().at("lo");
    ASSERT_GT(end.rx, 2400000000u);
    ASSERT_GT(end.rx, 1ull << 31) << "the total passed 2^31";

    Form1& f = Form1::Instance();
    EXPECT_EQ(Count(f.lblRecv), end.rx - start.rx);
    EXPECT_EQ(Count(f.lblSent), end.tx - start.tx);
    EXPECT_EQ(Form2::Instance().br->text(), Grouped(end.rx));
    EXPECT_EQ(Form2::Instance().bs->text(), Grouped(end.tx));
    EXPECT_EQ(backend().tip,
              "Total Bytes received: " + Grouped(end.rx) + "\r\nTotal Bytes sent: " + Grouped(end.tx));
    EXPECT_TRUE(backend().boxes.empty());
    std::printf("loopback: %llu bytes since start, totals shown %s / %s\n",
                static_cast<unsigned long long>(Count(f.lblRecv)), qPrintable(Form2::Instance().br->text()),
                qPrintable(Form2::Instance().bs->text()));
}

// Raw Ethernet frames out of one interface: no address, nothing but them.
int SendFrames(const char* name, int count, std::size_t size)
{
    const int s = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
    if (s < 0)
        return 0;
    sockaddr_ll to{};
    to.sll_family = AF_PACKET;
    to.sll_ifindex = static_cast<int>(if_nametoindex(name));
    to.sll_halen = ETH_ALEN;
    std::vector<unsigned char> frame(size, 0);
    for (int i = 0; i < ETH_ALEN; ++i)
        frame[i] = 0xFF;
    frame[6] = 0x02;  // a locally administered source
    frame[12] = 0x88; // the ethertype left for local experiments
    frame[13] = 0xB5;
    int sent = 0;
    for (int i = 0; i < count; ++i)
        sent += ::sendto(s, frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to)
                == static_cast<ssize_t>(size);
    ::close(s);
    return sent;
}

TEST_F(Counts, LinksThatGoAwayOrMoveInLeaveTheCountsAsTheyWere)
{
    Namespace a("a");
    Namespace b("b");
    ASSERT_TRUE(a.Made() && b.Made());
    ASSERT_TRUE(a.Ip("link add cv8v0 type veth peer name cv8p0 netns " + b.Name()));
    ASSERT_TRUE(a.Ip("link set cv8v0 up"));
    ASSERT_TRUE(b.Ip("link set cv8p0 up"));
    Inside inside(a);
    ASSERT_TRUE(inside.Entered());
    Form1& f = Start();

    const auto start = a.Counters().at("cv8v0");
    Tick();
    ASSERT_EQ(SendFrames("cv8v0", 3000, 1000), 3000);
    Tick();
    const auto carried = a.Counters().at("cv8v0");
    ASSERT_GE(carried.tx - start.tx, 2000000u) << "the link carried traffic";
    const std::uint64_t sent = Count(f.lblSent);
    EXPECT_EQ(sent, carried.tx - start.tx);
    EXPECT_EQ(Count(f.lblRecv), 0u);

    // The far end, having received it all, moves in with its counts.
    ASSERT_GT(b.Counters().at("cv8p0").rx, 2000000u);
    ASSERT_TRUE(b.Ip("link set cv8p0 netns " + a.Name()));
    Tick();
    EXPECT_EQ(Count(f.lblRecv), 0u) << "counts that moved in are not traffic here";
    EXPECT_EQ(Count(f.lblSent), sent);
    EXPECT_EQ(f.incommin->text(), QStringLiteral("0 kbps"));
    EXPECT_EQ(f.outgoin->text(), QStringLiteral("0 kbps"));
    EXPECT_FALSE(f.noby->isHidden()) << "nothing grew";

    // Traffic again, then the link goes away between two ticks.
    ASSERT_TRUE(a.Ip("link set cv8p0 up"));
    ASSERT_GT(SendFrames("cv8v0", 1000, 1000), 0);
    ASSERT_TRUE(a.Ip("link del cv8v0"));
    Tick();
    Tick();
    EXPECT_EQ(Count(f.lblSent), sent) << "what went with the link neither adds nor takes away";
    EXPECT_EQ(Count(f.lblRecv), 0u);
    for (const QString& text : Shown())
        EXPECT_FALSE(text.contains(QLatin1Char('-'))) << text.toStdString();
    EXPECT_EQ(f.outgoin->text(), QStringLiteral("0 kbps"));
    EXPECT_TRUE(backend().boxes.empty());
}

TEST_F(Counts, HundredsOfLinksComingAndGoingNeverStopTheCounts)
{
    Namespace ns("churn");
    ASSERT_TRUE(ns.Made());
    ASSERT_TRUE(ns.Ip("link set lo up"));
    QTemporaryDir scratch;
    const std::string batch = scratch.filePath(QStringLiteral("churn")).toStdString();
    const std::string stop = scratch.filePath(QStringLiteral("stop")).toStdString();
    {
        std::ofstream out(batch);
        for (int i = 0; i < 300; ++i)
            out << "link add cv8c" << i << " group 8 type ifb\n";
        // An address on each, so that reading the addresses takes several
        // parts, between which the churn can disturb it.
        for (int i = 0; i < 300; ++i)
            out << "address add 10.88." << i / 250 << '.' << i % 250 + 1 << "/32 dev cv8c" << i << "\n";
    }
    Inside inside(ns);
    ASSERT_TRUE(inside.Entered());
    Form1& f = Start();
    LoopbackSender loopback;
    ASSERT_TRUE(loopback.Ok());

    // The churn runs in a shell of its own until told to stop (or, should
    // the test die, for 90 seconds at most): 300 links made at once, then
    // deleted at once, over and over.
    int rounds = 0;
    std::thread churn([&] {
        const std::string ip = "ip -n " + ns.Name();
        Shell("timeout 90 sh -c 'n=0; while [ ! -e " + stop + " ]; do " + ip + " -force -batch " + batch
              + "; " + ip + " link del group 8; n=$((n+1)); done; echo $n > " + stop + ".rounds'");
    });

    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    auto next = begin;
    std::vector<std::uint64_t> received;
    int stillTicks = 0;
    int addressReads = 0;
    std::size_t boxesSeen = 0;
    Tick();
    while (Clock::now() - begin < std::chrono::seconds(60)) {
        next += std::chrono::milliseconds(500);
        std::this_thread::sleep_until(next);
        loopback.Send(10, 1000);
        Tick();
        received.push_back(Count(f.lblRecv));
        stillTicks += f.incommin->text() == QStringLiteral("0 kbps");
        for (const QString& text : Shown())
            EXPECT_FALSE(text.contains(QLatin1Char('-'))) << text.toStdString();
        // The addresses are read the same way while the links churn: a read
        // that had to start again lists each address once all the same.
        for (int read = 0; read < 20; ++read, ++addressReads) {
            std::map<std::pair<int, Ipv4Bytes>, int> listed;
            int twice = 0;
            for (const netconfig::Address& a : netconfig::ReadAddresses())
                twice += ++listed[{a.index, a.address}] == 2;
            if (twice != 0 || listed.count({1, Ipv4Bytes{127, 0, 0, 1}}) != 1) {
                ADD_FAILURE() << twice << " addresses listed twice after " << addressReads << " reads";
                break;
            }
        }
        if (backend().boxes.size() != boxesSeen) {
            ADD_FAILURE() << "a box after " << received.size()
                          << " ticks: " << backend().boxes.back().toStdString();
            boxesSeen = backend().boxes.size();
        }
    }
    std::ofstream(stop) << "stop\n";
    churn.join();
    std::ifstream(stop + ".rounds") >> rounds;

    ASSERT_GE(received.size(), 100u);
    EXPECT_GE(rounds, 1) << "the links did come and go";
    for (std::size_t i = 1; i < received.size(); ++i)
        EXPECT_GE(received[i], received[i - 1]) << "tick " << i;
    // Every five seconds, the count has moved on.
    for (std::size_t i = 10; i < received.size(); i += 10)
        EXPECT_GT(received[i], received[i - 10]) << "between ticks " << i - 10 << " and " << i;
    EXPECT_GE(received.back(), 10000u * (received.size() - 5));
    std::printf("churn: %d rounds of 300 links added and deleted, %zu ticks, %d with no growth shown, "
                "%llu bytes counted\n",
                rounds, received.size(), stillTicks, static_cast<unsigned long long>(received.back()));
}

} // namespace
