// What the benchmarks on a real X server share: an Xvfb of a given size on a display
// number it picks itself, and the CPU time of a process (the server's, a child's).
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

// utime + stime of a process, in ms (0 when it cannot be read).
inline double ProcessCpuOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string line;
    std::getline(in, line);
    return line;
}

// Xvfb at WIDTHxHEIGHT; ended with the object.
class BenchXvfb {
  public:
    explicit BenchXvfb(const std::string& size) {
        int ready[2];
        if (pipe(ready) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(ready[0]);
            std::string fd = std::to_string(ready[1]), screen = size + "x24";
            if (!std::freopen("/dev/null", "w", stderr)) _exit(126);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        // The server writes its display number, then a line feed, once it takes clients.
        std::string text;
        char c = 0;
        while (m_pid > 0 && text.size() < 16 && read(ready[0], &c, 1) == 1 && c != '\n') text += c;
        close(ready[0]);
        if (c == '\n' && !text.empty()) m_display = ":" + text;
    }
    ~BenchXvfb() {
        if (m_pid > 0) kill(m_pid, SIGTERM);
    }
    bool Running() const { return !m_display.empty(); }
    const std::string& Display() const { return m_display; }
    pid_t Pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    std::string m_display;
};
