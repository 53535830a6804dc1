#include "encoder_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

volatile sig_atomic_t interruptSignal = 0;

void OnInterrupt(int signal) { interruptSignal = signal; }

constexpr int kGuardedSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[3];
struct sigaction previousPipeAction;
int guardDepth = 0;

// Makes `fd` the child's descriptor `target`, open across exec.
bool MoveTo(int fd, int target) {
  if (fd == target) {
    const int flags = fcntl(fd, F_GETFD);
    return flags >= 0 && fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC) == 0;
  }
  return dup2(fd, target) == target;
}

std::vector<char*> Argv(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void BecomeChild(const std::vector<char*>& argv, const int* reads, int inputs, int out, int err,
                              pid_t parent) {
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  signal(SIGPIPE, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // Descriptors 0 and 3 may be taken by the other ends: lift them out of the way first.
  int lifted[2] = {-1, -1};
  for (int i = 0; i < inputs; ++i) lifted[i] = fcntl(reads[i], F_DUPFD_CLOEXEC, 10);
  const int errLifted = fcntl(err, F_DUPFD_CLOEXEC, 10);
  const int outLifted = out >= 0 ? fcntl(out, F_DUPFD_CLOEXEC, 10) : -1;
  if (lifted[0] < 0 || (inputs > 1 && lifted[1] < 0) || errLifted < 0) _exit(127);
  if (!MoveTo(lifted[0], 0) || (inputs > 1 && !MoveTo(lifted[1], 3))) _exit(127);
  if (!MoveTo(outLifted >= 0 ? outLifted : errLifted, 1) || !MoveTo(errLifted, 2)) _exit(127);
  execvp(argv[0], argv.data());
  const char* why = "cannot start the program\n";
  if (write(2, why, std::strlen(why)) < 0) _exit(127);
  _exit(127);
}

}  // namespace

InterruptGuard::InterruptGuard() {
  if (guardDepth++ > 0) return;
  interruptSignal = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a blocked write or wait returns and sees the flag
  for (int i = 0; i < 3; ++i) sigaction(kGuardedSignals[i], &action, &previousActions[i]);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previousPipeAction);  // a dead encoder is an error, not our end
}

InterruptGuard::~InterruptGuard() {
  if (--guardDepth > 0) return;
  for (int i = 0; i < 3; ++i) sigaction(kGuardedSignals[i], &previousActions[i], nullptr);
  sigaction(SIGPIPE, &previousPipeAction, nullptr);
}

int InterruptGuard::Signal() { return interruptSignal; }

void InterruptGuard::Raise(int signal) { interruptSignal = signal; }

bool WriteAll(int fd, const void* data, size_t bytes) {
  const auto* p = static_cast<const char*>(data);
  while (bytes > 0) {
    if (InterruptGuard::Signal() != 0) return false;
    const ssize_t done = write(fd, p, bytes);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

std::string FindOnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : "";
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

bool RunForOutput(const std::vector<std::string>& command, std::string* output) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return false;
  const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  const std::vector<char*> argv = Argv(command);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    const int reads[1] = {devNull};
    BecomeChild(argv, reads, 1, out[1], devNull, parent);
  }
  close(out[1]);
  if (devNull >= 0) close(devNull);
  if (pid < 0) {
    close(out[0]);
    return false;
  }
  output->clear();
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got > 0) {
      output->append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR && InterruptGuard::Signal() == 0) {
      continue;
    } else {
      break;
    }
  }
  close(out[0]);
  int status = 0;
  if (InterruptGuard::Signal() != 0) kill(pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    if (InterruptGuard::Signal() != 0) kill(pid, SIGKILL);
  }
  return InterruptGuard::Signal() == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

EncoderProcess::~EncoderProcess() { Kill(); }

bool EncoderProcess::Start(const std::vector<std::string>& command, int inputs, std::string* error) {
  Kill();
  inputs = inputs > 1 ? 2 : 1;
  int pipes[2][2] = {{-1, -1}, {-1, -1}};
  log_ = memfd_create("tavrine-encoder-messages", MFD_CLOEXEC);
  bool ok = log_ >= 0;
  for (int i = 0; ok && i < inputs; ++i) ok = pipe2(pipes[i], O_CLOEXEC) == 0;
  if (!ok) {
    if (error) *error = std::string("cannot make pipes for the encoder: ") + std::strerror(errno);
    for (auto& p : pipes)
      for (int fd : p)
        if (fd >= 0) close(fd);
    if (log_ >= 0) close(log_);
    log_ = -1;
    return false;
  }
  // A whole 320 x 240 frame fits in the pipe at once: fewer trips between the processes.
  fcntl(pipes[0][1], F_SETPIPE_SZ, 1 << 20);

  const std::vector<char*> argv = Argv(command);
  const int reads[2] = {pipes[0][0], pipes[1][0]};
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) BecomeChild(argv, reads, inputs, -1, log_, parent);
  for (int i = 0; i < inputs; ++i) close(pipes[i][0]);
  if (pid < 0) {
    if (error) *error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    for (int i = 0; i < inputs; ++i) close(pipes[i][1]);
    close(log_);
    log_ = -1;
    return false;
  }
  pid_ = pid;
  broken_ = false;
  for (int i = 0; i < inputs; ++i) {
    inputs_[i] = pipes[i][1];
    fcntl(inputs_[i], F_SETFL, fcntl(inputs_[i], F_GETFL) | O_NONBLOCK);
  }
  return true;
}

bool EncoderProcess::Write(int input, const void* data, size_t bytes) {
  if (input < 0 || input > 1 || inputs_[input] < 0 || broken_) return false;
  if (bytes == 0) return true;
  const auto* p = static_cast<const uint8_t*>(data);
  queued_[input].emplace_back(p, p + bytes);
  queuedBytes_ += bytes;
  return Pump(kQueueLimit, false);
}

bool EncoderProcess::Pump(size_t limit, bool closing) {
  for (;;) {
    if (InterruptGuard::Signal() != 0 || broken_) return false;
    bool wouldBlock[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
      while (inputs_[i] >= 0 && !queued_[i].empty()) {
        const std::vector<uint8_t>& front = queued_[i].front();
        const ssize_t done = write(inputs_[i], front.data() + sentOfFront_[i], front.size() - sentOfFront_[i]);
        if (done < 0) {
          if (errno == EINTR) break;
          if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wouldBlock[i] = true;
            break;
          }
          broken_ = true;  // the encoder has gone
          return false;
        }
        sentOfFront_[i] += static_cast<size_t>(done);
        queuedBytes_ -= static_cast<size_t>(done);
        if (sentOfFront_[i] == front.size()) {
          queued_[i].pop_front();
          sentOfFront_[i] = 0;
        }
      }
    }
    // The end of one input may be what ffmpeg waits for before it reads the other.
    for (int i = 0; closing && i < 2; ++i) {
      if (inputs_[i] >= 0 && queued_[i].empty()) {
        close(inputs_[i]);
        inputs_[i] = -1;
      }
    }
    if (queuedBytes_ <= limit) return true;
    pollfd waiting[2];
    nfds_t count = 0;
    for (int i = 0; i < 2; ++i)
      if (wouldBlock[i]) waiting[count++] = pollfd{inputs_[i], POLLOUT, 0};
    if (count > 0 && poll(waiting, count, -1) < 0 && errno != EINTR) {
      broken_ = true;
      return false;
    }
  }
}

void EncoderProcess::CloseInputs() {
  for (int i = 0; i < 2; ++i) {
    if (inputs_[i] >= 0) close(inputs_[i]);
    inputs_[i] = -1;
    queued_[i].clear();
    sentOfFront_[i] = 0;
  }
  queuedBytes_ = 0;
}

std::string EncoderProcess::LastMessage() const {
  if (log_ < 0) return "";
  std::string text;
  char buffer[4096];
  off_t at = 0;
  ssize_t got;
  while ((got = pread(log_, buffer, sizeof buffer, at)) > 0) {
    text.append(buffer, static_cast<size_t>(got));
    at += got;
    if (text.size() > (1 << 20)) text.erase(0, text.size() - 4096);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  const size_t line = text.find_last_of("\r\n");
  return line == std::string::npos ? text : text.substr(line + 1);
}

bool EncoderProcess::Finish(std::string* error) {
  const bool delivered = Pump(0, true);
  CloseInputs();
  if (pid_ <= 0) {
    if (error) *error = "the encoder is not running";
    return false;
  }
  int status = 0;
  for (;;) {
    if (waitpid(pid_, &status, 0) == pid_) break;
    if (errno != EINTR) {
      status = -1;
      break;
    }
    if (InterruptGuard::Signal() != 0) {
      Kill();
      if (error) *error = "interrupted";
      return false;
    }
  }
  pid_ = -1;
  const bool ok = delivered && status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!ok && error) {
    const std::string last = LastMessage();
    *error = last.empty() ? "ffmpeg failed without saying why" : "ffmpeg: " + last;
  }
  close(log_);
  log_ = -1;
  return ok;
}

void EncoderProcess::Kill() {
  CloseInputs();
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  if (log_ >= 0) close(log_);
  log_ = -1;
}
