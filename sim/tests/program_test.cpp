// The oxbow-sim program: its help text, the port it reports, serving a client, keeping its
// setup in a state file and ending cleanly on SIGTERM.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child Start(std::initializer_list<const char*> args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        std::vector<char*> argv{const_cast<char*>(OXBOW_SIM_PROGRAM)};
        for (const char* arg : args)
            argv.push_back(const_cast<char*>(arg));
        argv.push_back(nullptr);
        ::execv(OXBOW_SIM_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

// Output up to the first newline (or everything when `line` is false), waiting at most 5 s.
std::string ReadOutput(int fd, bool line) {
    std::string text;
    char ch = 0;
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) <= 0 || ::read(fd, &ch, 1) != 1) break;
        if (line && ch == '\n') break;
        text.push_back(ch);
    }
    return text;
}

std::string ReadExactly(int fd, std::size_t count) {
    std::string text;
    char ch = 0;
    while (text.size() < count) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) <= 0 || ::read(fd, &ch, 1) != 1) break;
        text.push_back(ch);
    }
    return text;
}

int Wait(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        ::usleep(10'000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -2;
}

TEST(Program, HelpDocumentsEveryOption) {
    const Child child = Start({"--help"});
    const std::string help = ReadOutput(child.out, false);
    ::close(child.out);
    EXPECT_EQ(Wait(child.pid), 0);
    for (const char* option :
         {"--port", "--bind", "--model", "--serial", "--firmware", "--fpga", "--ch1", "--ch2",
          "--digital", "--dots", "--state", "--verbose", "--help", "oxbow --lan"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(Program, RefusesBadOptions) {
    for (auto args : {std::initializer_list<const char*>{"--port", "70000"},
                      {"--ch1", "wobble,1,1"},
                      {"--bogus"},
                      {"--model"}}) {
        const Child child = Start(args);
        ::close(child.out);
        EXPECT_EQ(Wait(child.pid), 1);
    }
}

// The port from "oxbow-sim listening on 127.0.0.1:PORT"; -1 when the line is not that.
int ListeningPort(const Child& child) {
    const std::string line = ReadOutput(child.out, true);
    const auto colon = line.rfind(':');
    if (line.rfind("oxbow-sim listening on 127.0.0.1:", 0) != 0 || colon == std::string::npos) {
        ADD_FAILURE() << line;
        return -1;
    }
    return std::stoi(line.substr(colon + 1));
}

int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

// Sends one command text (with its CR and NUL); a query returns the body of its framed reply.
std::string Ask(int fd, const std::string& text, bool query = true) {
    const std::string line = text + '\r';
    EXPECT_EQ(::send(fd, line.c_str(), line.size() + 1, 0), ssize_t(line.size() + 1));
    if (!query) return {};
    const std::string length = ReadExactly(fd, 4);
    if (length.size() != 4) return {};
    std::size_t size = 0;
    for (int i = 3; i >= 0; --i)
        size = size * 256 + static_cast<unsigned char>(length[i]);
    return ReadExactly(fd, size);
}

TEST(Program, ServesOnThePortItPrintsAndStopsOnSigterm) {
    const Child child = Start({"--port", "0", "--model", "OXB-A2", "--serial", "XY9"});
    const int port = ListeningPort(child);
    ASSERT_GT(port, 0);
    const int fd = Connect(port);
    EXPECT_EQ(Ask(fd, "*IDN?"), "TAMBER,OXB-A2,XY9,00.02.05");
    ::close(fd);

    ::kill(child.pid, SIGTERM);
    EXPECT_EQ(Wait(child.pid), 0);
    ::close(child.out);
}

float Ch1Scale(int port) {
    const int fd = Connect(port);
    const std::string block = Ask(fd, ":SETUP:DSO?");
    ::close(fd);
    float scale = 0.0f;
    if (block.size() == 780) std::memcpy(&scale, block.data() + 16, sizeof scale); // CH1 V/div
    return scale;
}

// One run with --state: optionally sets CH1's scale, then ends on SIGTERM; CH1's scale
// as the run saw it after the change.
float RunWithState(const std::string& path, const char* scaleCommand) {
    const Child child = Start({"--port", "0", "--state", path.c_str()});
    const int port = ListeningPort(child);
    if (scaleCommand != nullptr) {
        const int fd = Connect(port);
        Ask(fd, scaleCommand, false);
        ::close(fd);
    }
    const float scale = Ch1Scale(port);
    ::kill(child.pid, SIGTERM);
    EXPECT_EQ(Wait(child.pid), 0);
    ::close(child.out);
    return scale;
}

TEST(Program, StateFileKeepsTheSetupFromOneRunToTheNextAndAForeignOneIsIgnored) {
    const std::string path = "/tmp/oxbow-sim-state-test-" + std::to_string(::getpid()) + ".bin";
    EXPECT_FLOAT_EQ(RunWithState(path, ":CHANNEL1:SCALE 0.200000"), 0.2f);
    EXPECT_FLOAT_EQ(RunWithState(path, nullptr), 0.2f);

    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not a state file", file);
    std::fclose(file);
    EXPECT_FLOAT_EQ(RunWithState(path, nullptr), 1.0f); // the power-up scale
    std::remove(path.c_str());
}

} // namespace
