// The installation killed (SIGKILL) at each system call it makes: a traced
// child runs it and is stopped at the entry of its kth call and killed
// there, for every k up to the number a whole run makes. What is left must
// be a log that ends in a whole line, that the uninstaller's reader takes,
// and that names everything on disk the run made but the item in flight;
// and the uninstaller's plan, run on it, must leave the drive as it was
// before setup, the earlier version it replaced back in its place.
//
// kill_sweep [stride]: every stride-th call only (1, every call, by default).
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/robust/road_scene.h"

namespace {

// Runs the installation in a child that stops for its tracer first.
pid_t start_traced()
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(90);
        raise(SIGSTOP);
        int32_t code;
        // No exit handlers: the drive root belongs to the parent.
        _exit(scene::install(&code) ? 0 : 1);
    }
    return child;
}

// Lets the child run to the entry of its kth system call and kills it there
// (k = 0: to its end). Returns the number of calls entered, or -1 when the
// child could not be traced; *status receives its wait status.
long run_to_call(long k, int *status)
{
    pid_t child = start_traced();
    if (child < 0 || waitpid(child, status, 0) != child || !WIFSTOPPED(*status))
        return -1;
    if (ptrace(PTRACE_SETOPTIONS, child, nullptr, (void *)(long)(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL)) != 0) {
        kill(child, SIGKILL);
        waitpid(child, status, 0);
        return -1;
    }
    long entered = 0;
    bool in_call = false;
    int pass = 0; // a signal the child is to receive
    for (;;) {
        if (ptrace(PTRACE_SYSCALL, child, nullptr, (void *)(long)pass) != 0)
            return -1;
        pass = 0;
        if (waitpid(child, status, 0) != child)
            return -1;
        if (WIFEXITED(*status) || WIFSIGNALED(*status))
            return entered;
        int sig = WSTOPSIG(*status);
        if (sig != (SIGTRAP | 0x80)) {
            pass = sig == SIGSTOP ? 0 : sig;
            continue;
        }
        in_call = !in_call;
        if (in_call && ++entered == k) {
            kill(child, SIGKILL);
            waitpid(child, status, 0);
            return entered;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    long stride = argc > 1 ? std::atol(argv[1]) : 1;
    if (stride < 1)
        stride = 1;
    auto started = std::chrono::steady_clock::now();

    scene::lay_out(3000);
    const logtruth::Tree before = scene::snapshot();
    const drive::Snapshot drive_before = scene::drive();
    int status = 0;
    long total = run_to_call(0, &status);
    if (total < 0) {
        std::printf("kill_sweep: cannot trace a child (ptrace refused: %s)\n", std::strerror(errno));
        return 1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("kill_sweep: the whole run failed (status %d)\n", status);
        return 1;
    }
    std::string problem = scene::check(before, scene::snapshot(), true);
    if (problem.empty())
        problem = scene::uninstall_check(drive_before, 0);
    if (!problem.empty()) {
        std::printf("kill_sweep: the whole run: %s\n", problem.c_str());
        return 1;
    }

    long points = 0, findings = 0, ended_early = 0;
    for (long k = 1; k <= total; k += stride) {
        scene::lay_out(3000);
        const drive::Snapshot laid_out = scene::drive(); // its times are this lay-out's
        long reached = run_to_call(k, &status);
        bool killed = reached == k && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        // A run may make a call or two fewer than the first (the sanitizers'
        // runtime does): one that ended before call k is checked as a whole run.
        bool ended = reached >= 0 && reached < k && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!killed && !ended) {
            std::printf("kill_sweep: call %ld of %ld: the child was neither killed there nor done (status %d)\n", k,
                        total, status);
            ++findings;
            continue;
        }
        points += killed;
        ended_early += ended;
        problem = scene::check(before, scene::snapshot(), ended);
        // What the run made but had not yet logged cannot go: one item.
        if (problem.empty())
            problem = scene::uninstall_check(laid_out, ended ? 0 : 1);
        if (!problem.empty() && ++findings <= 10)
            std::printf("kill_sweep: killed at call %ld of %ld: %s\n", k, total, problem.c_str());
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "kill_sweep: %ld system calls in a whole installation, killed at %ld of them (every %ld; %ld runs ended "
        "first), %ld findings, %.1f s\n",
        total, points, stride, ended_early, findings, seconds);
    // Most of the points must have been kill points.
    return findings == 0 && points >= 300 && ended_early * 10 < points ? 0 : 1;
}
