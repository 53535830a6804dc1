// sound.h - the sound library the show was written against, standing in over libopenmpt
// (decoding) and an AudioOutput (SDL audio live, silence, or a WAV file offline).
//
// Same operations, arguments and results as the show relies on: a module handle or play
// handle of 0 means failure, other operations return nonzero on success; every failure sets
// a last-error code whose text is a plain English sentence. There is no thread of our own:
// MIDASpoll renders with libopenmpt and hands the output what it wants (about 100 ms queued
// live; in step with the virtual clock offline). Volume 0..64 scales the output by v / 64.
//
//   MIDASstartup(); MIDASsetOption(MIDAS_OPTION_WINDOW, (intptr_t)window); MIDASinit();
//   MidasModule m = MIDASloadModule("Music\\DISCO.XM");
//   MidasPlayHandle h = MIDASplayModule(m, 1);
//   every frame: MIDASpoll();
#pragma once
#include <cstdint>
#include <string>

// Where the decoded music goes: interleaved stereo 16-bit frames.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // False when no output can be opened (the library then falls back to silence).
  virtual bool Open(int sampleRate, std::string* error) = 0;
  // How many frames to render now to keep the output fed.
  virtual int FramesWanted() = 0;
  virtual void Write(const int16_t* interleaved, int frames) = 0;
  // The music starts now (an offline output pads silence up to this moment).
  virtual void Start() {}
  // The music jumps: what is queued and not yet heard is dropped.
  virtual void Flush() {}
  // The music stops for a while (what is queued waits) and goes on.
  virtual void Pause(bool paused) { (void)paused; }
  virtual void Close() = 0;
};

// The rate the library mixes at; outputs are opened with it.
constexpr int MIDAS_MIX_RATE = 44100;

using MidasModule = uintptr_t;
using MidasPlayHandle = uintptr_t;

// Option numbers the show sets; the window option carries the PlatformWindow*, through which
// the library finds the platform's audio output.
constexpr int MIDAS_OPTION_MIXRATE_BUFFER = 5;
constexpr int MIDAS_OPTION_WINDOW = 6;
constexpr int MIDAS_OPTION_BUFFER_COUNT = 11;

void MIDASstartup();
int MIDASsetOption(int option, intptr_t value);
int MIDASinit();
MidasModule MIDASloadModule(const char* fileName);
MidasPlayHandle MIDASplayModule(MidasModule module, int loopSong);
int MIDASsetPosition(MidasPlayHandle playHandle, int position);
int MIDASpoll();
int MIDASsetMusicVolume(MidasPlayHandle playHandle, unsigned volume);
int MIDASstopModule(MidasPlayHandle playHandle);
int MIDASfreeModule(MidasModule module);
int MIDASclose();
int MIDASgetLastError();
// The text stays valid until the next failing operation.
const char* MIDASgetErrorMessage(int errorCode);

// How far a play has got into its song, in seconds; negative for an unknown handle.
double MidasPlayedSeconds(MidasPlayHandle playHandle);

// Beyond the original library, for a player that seeks and pauses. The play goes on from
// `seconds` into its song, to the sample (past the end: silence); what the output had queued
// is dropped. Nonzero on success.
int MidasSeekSeconds(MidasPlayHandle playHandle, double seconds);
// Stops the output where it is (true) and lets it go on (false); polls render nothing new
// while paused only because the caller does not poll.
void MidasPauseOutput(bool paused);

// What the end of the process does to the library: everything it holds is let go without a
// word to the output, which belongs to the platform and may already be gone. For running the
// show more than once in one process (the tool, the tests).
void MidasEndProcess();

// Test hook: make one operation fail as a broken library would (init, loadModule, playModule,
// stopModule, freeModule or close).
enum class MidasOperation { Init, LoadModule, PlayModule, StopModule, FreeModule, Close };
void MidasRefuseForTesting(MidasOperation operation, bool refuse);
