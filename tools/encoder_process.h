// encoder_process.h - the ffmpeg command as a child process fed through pipes, and the
// interrupts that must not leave it (or its half-written file) behind.
//
//   InterruptGuard guard;                       // Ctrl-C, SIGTERM, SIGHUP now set a flag
//   EncoderProcess encoder;
//   encoder.Start(command, 2, &error);          // input 0 = its stdin, input 1 = descriptor 3
//   encoder.Write(0, frame, bytes); ...
//   encoder.Finish(&error);                     // closes the inputs, waits for the file
//
// The child runs in a process group of its own, so a Ctrl-C at the terminal reaches only us
// and we decide what happens to the file; it is killed if we die. Its messages go to a
// memory file, from which a failure takes its last line.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
  // The signal that asked us to stop, or 0.
  static int Signal();
  // For tests: behave as if `signal` had arrived.
  static void Raise(int signal);
};

class EncoderProcess {
 public:
  EncoderProcess() = default;
  ~EncoderProcess();  // a child still running is killed
  EncoderProcess(const EncoderProcess&) = delete;
  EncoderProcess& operator=(const EncoderProcess&) = delete;

  // Starts `command` (program name first, found on PATH) with `inputs` pipes (1 or 2).
  bool Start(const std::vector<std::string>& command, int inputs, std::string* error);
  // Hands over the whole buffer; false when the encoder has gone or an interrupt came.
  // ffmpeg reads its inputs in an order of its own (while it opens them, one at a time), so
  // nothing waits on one pipe while the other may be wanted: what a pipe does not take at
  // once is queued, and we wait only when the queues hold more than `kQueueLimit` bytes,
  // far more than ffmpeg reads of one input while it opens another (one frame, one packet
  // of sound with the probing options EncoderCommand gives).
  bool Write(int input, const void* data, size_t bytes);
  static constexpr size_t kQueueLimit = 64u << 20;
  // Ends the inputs and waits for the encoder to finish its file. False with its last
  // message when it failed (or when an interrupt came while waiting; it is then killed).
  bool Finish(std::string* error);
  // Stops it at once and waits for it.
  void Kill();
  bool Running() const { return pid_ > 0; }

 private:
  std::string LastMessage() const;
  // Writes what the pipes take and waits until no more than `limit` is queued; `closing`
  // ends each input as soon as it has been delivered.
  bool Pump(size_t limit, bool closing);
  void CloseInputs();

  pid_t pid_ = -1;
  int inputs_[2] = {-1, -1};
  int log_ = -1;
  std::deque<std::vector<uint8_t>> queued_[2];
  size_t sentOfFront_[2] = {0, 0};
  size_t queuedBytes_ = 0;
  bool broken_ = false;
};

// Writes the whole buffer to a descriptor, going on after signals that do not stop us.
bool WriteAll(int fd, const void* data, size_t bytes);
// The program's full path when it is on PATH, else "".
std::string FindOnPath(const std::string& program);
// Runs a command to its end and keeps its standard output (stderr is dropped).
bool RunForOutput(const std::vector<std::string>& command, std::string* output);
