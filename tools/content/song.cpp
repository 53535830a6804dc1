// song.cpp - the show's music: a disco groove in A minor, 144 BPM, written as tracker patterns.
//
// Speed 6 at tempo 144 makes a 64-row pattern last 8 timeline units (6.667 s), so each order
// below starts exactly where a picture segment starts; the 16-row order covers the 2-unit still.
#include <sstream>

#include "content/content.h"
#include "content/song.h"
#include "content/song_synth.h"

namespace {

enum Channel { kKick, kSnare, kClosedHat, kOpenHat, kBass, kPad1, kPad2, kPad3, kLead, kArp, kFx, kEcho, kChannels };
enum Instrument : uint8_t { iKick = 1, iSnare, iClap, iClosedHat, iOpenHat, iBass, iPad, iLead, iArp, iCrash, iRiser };

constexpr uint8_t Vol(int v) { return uint8_t(0x10 + v); }  // volume column "set volume"
constexpr uint8_t kFxArpeggio = 0x0, kFxPortamento = 0x3, kFxVibrato = 0x4, kFxVolumeSlide = 0xA;

// "A-4", "C#5" -> 1..96 (C-0 is 1); 0 when the text is not a note.
int NoteNumber(const std::string& s) {
  static const int semis[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (s.size() != 3 || s[0] < 'A' || s[0] > 'G' || (s[1] != '-' && s[1] != '#') || s[2] < '0' || s[2] > '7') return 0;
  const int n = 12 * (s[2] - '0') + semis[s[0] - 'A'] + (s[1] == '#' ? 1 : 0) + 1;
  return n <= 96 ? n : 0;
}

struct Chord {
  const char* bass;    // root in the bass's range (home note C-2)
  const char* pad[3];  // close voicing around middle C
  const char* arp;     // arpeggio root
  uint8_t arpParam;    // 0xy: minor 037, major 047
};

const Chord kAm{"A-1", {"A-3", "C-4", "E-4"}, "A-4", 0x37};
const Chord kF{"F-1", {"A-3", "C-4", "F-4"}, "F-4", 0x47};
const Chord kG{"G-1", {"B-3", "D-4", "G-4"}, "G-4", 0x47};
const Chord kEm{"E-1", {"B-3", "E-4", "G-4"}, "E-4", 0x37};
const Chord kDm{"D-2", {"A-3", "D-4", "F-4"}, "D-4", 0x37};
const Chord kE{"E-1", {"G#3", "B-3", "E-4"}, "E-4", 0x47};

using Progression = const Chord* [4];
const Progression kVerse = {&kAm, &kF, &kG, &kEm};     // i VI VII v
const Progression kLift = {&kF, &kG, &kEm, &kAm};      // VI VII v i
const Progression kTension = {&kDm, &kAm, &kF, &kE};   // ends on the dominant

// Lead lines, one token per row: a note, "~" + note to glide there, "." to hold, "==" key-off.
const char* const kHook =
    "E-5 . . . D-5 . C-5 . B-4 . C-5 . A-4 . . . "
    "A-4 . C-5 . F-5 . . . E-5 . . . C-5 . . . "
    "D-5 . . . B-4 . D-5 . G-5 . . . F-5 . E-5 . "
    "E-5 . . . . . . . B-4 . D-5 . E-5 . . . ";
const char* const kAnswer =
    "A-5 . . . G-5 . E-5 . . . C-5 . D-5 . E-5 . "
    "C-5 . . . A-4 . . . C-5 . D-5 . F-5 . E-5 . "
    "D-5 . . . . . B-4 . G-4 . . . B-4 . ~D-5 . "
    "E-5 . . . . . . . . . . . == . . . ";
const char* const kSong =
    "C-6 . . . A-5 . . . F-5 . . . A-5 . C-6 . "
    "B-5 . . . . . . . G-5 . . . D-5 . . . "
    "E-5 . . . G-5 . B-5 . . . A-5 . G-5 . . . "
    "A-5 . . . . . . . . . . . == . . . ";

struct Section {
  const Chord* const* chords;
  int kick = 0;       // 0 none, 1 four to the floor, 2 only in the second half
  bool clap = false;  // on beats two and four
  int hats = 0;       // 0 none, 1 offbeat eighths, 2 sixteenths
  bool openHats = false;
  int bass = 0;       // 0 none, 1 held, 2 offbeat, 3 octave disco
  int pad = 0;        // pad volume, 0 = none
  int arp = 0;        // 0 none, 1 sparse, 2 eighths, 3 sixteenths
  int arpVolume = 34;
  const char* lead = nullptr;
  bool crash = false;
  bool riser = false;  // noise sweep over the last two bars, into the next pattern
  int fill = 0;       // 0 none, 1 snare roll over the last bar, 2 over the last beat
};

class Writer {
 public:
  Writer(int rows) : p_(rows, kChannels) {}
  XmCell& at(int row, int ch) { return p_.at(row, ch, kChannels); }
  void note(int row, int ch, const char* name, uint8_t ins, int volume) { note(row, ch, NoteNumber(name), ins, volume); }
  void note(int row, int ch, int number, uint8_t ins, int volume) {
    XmCell& c = at(row, ch);
    c.note = uint8_t(number);
    c.instrument = ins;
    c.volume = Vol(volume);
  }
  void off(int row, int ch) { at(row, ch).note = XM_NOTE_OFF; }
  void fx(int row, int ch, uint8_t effect, uint8_t param) {
    at(row, ch).effect = effect;
    at(row, ch).param = param;
  }
  int rows() const { return p_.rows; }
  XmPattern take() { return std::move(p_); }

 private:
  XmPattern p_;
};

bool WriteLead(Writer& w, const char* line, std::string* error) {
  std::istringstream in(line);
  std::string tok;
  int row = 0, held = 0;
  bool sounding = false;
  while (in >> tok) {
    if (row >= w.rows()) break;
    if (tok == ".") {
      ++held;
      if (sounding && held >= 3) w.fx(row, kLead, kFxVibrato, 0x45);  // vibrato only on long notes
    } else if (tok == "==") {
      w.off(row, kLead);
      sounding = false;
    } else {
      const bool glide = tok[0] == '~';
      const std::string name = glide ? tok.substr(1) : tok;
      if (!NoteNumber(name)) {
        if (error) *error = "song: bad note '" + tok + "' in a lead line";
        return false;
      }
      w.note(row, kLead, name.c_str(), iLead, 56);
      if (glide) w.fx(row, kLead, kFxPortamento, 0x0C);  // three quarters of a semitone a tick
      sounding = true;
      held = 0;
    }
    ++row;
  }
  if (row != w.rows() || (in >> tok)) {
    if (error) *error = "song: a lead line does not fill its pattern";
    return false;
  }
  // A quieter copy three rows late: the tape echo of the era, done in the pattern.
  for (int r = w.rows() - 1; r >= 3; --r) {
    XmCell c = w.at(r - 3, kLead);
    if (c.volume) c.volume = Vol(20);
    w.at(r, kEcho) = c;
  }
  return true;
}

bool Compose(const Section& s, int rows, XmPattern* out, std::string* error) {
  Writer w(rows);
  const int bars = (rows + 15) / 16;
  for (int bar = 0; bar < bars; ++bar) {
    const Chord& ch = *s.chords[bar];
    const bool fillBar = s.fill == 1 && bar == bars - 1;
    const Chord* previous = bar > 0 ? s.chords[bar - 1] : nullptr;
    for (int step = 0; step < 16; ++step) {
      const int row = bar * 16 + step;
      if (row >= rows) break;
      const bool beat = step % 4 == 0, offbeat = step % 4 == 2;

      if (beat && (s.kick == 1 || (s.kick == 2 && bar >= bars / 2))) w.note(row, kKick, "C-4", iKick, 64);

      const bool lastBeat = s.fill == 2 && bar == bars - 1 && step >= 12;
      if (fillBar) {
        if (step >= 8 || step % 2 == 0) w.note(row, kSnare, "C-4", iSnare, 20 + 44 * step / 15);
      } else if (lastBeat) {
        w.note(row, kSnare, "C-4", iSnare, 36 + 6 * (step - 12));
      } else if (s.clap && (step == 4 || step == 12)) {
        w.note(row, kSnare, "C-4", iClap, 64);
      }

      if (s.openHats && offbeat) {
        w.note(row, kOpenHat, "C-4", iOpenHat, 48);
      } else if (s.hats == 1 && offbeat) {
        w.note(row, kClosedHat, "C-4", iClosedHat, 56);
      } else if (s.hats == 2) {
        w.note(row, kClosedHat, "C-4", iClosedHat, offbeat ? 60 : step % 2 == 0 ? 44 : 30);
      }

      switch (s.bass) {
        case 1:
          if (step == 0) w.note(row, kBass, ch.bass, iBass, 56);
          if (step == 14) w.off(row, kBass);
          break;
        case 2:
          if (offbeat) w.note(row, kBass, ch.bass, iBass, 60);
          if (step % 4 == 3) w.off(row, kBass);
          break;
        case 3:
          if (step % 2 == 0) {
            // Root and octave in eighths; the last bar walks up by the fifth and seventh.
            const bool walk = bar == bars - 1 && step >= 12;
            const int root = NoteNumber(ch.bass);
            const int n = walk ? root + (step == 12 ? 7 : 10) : root + (step % 4 == 2 ? 12 : 0);
            w.note(row, kBass, n, iBass, step % 4 == 2 ? 50 : 60);
          }
          break;
        default:
          break;
      }

      if (s.pad && step == 0 && previous != &ch)  // same chord again: let it sustain
        for (int v = 0; v < 3; ++v) w.note(row, kPad1 + v, ch.pad[v], iPad, s.pad);

      if (s.arp) {
        const bool hit = (s.arp == 1 && (step == 0 || step == 6 || step == 12)) || (s.arp == 2 && step % 2 == 0) || s.arp == 3;
        if (hit) {
          const int accent = s.arp == 3 && step % 4 != 0 ? -8 : 0;
          w.note(row, kArp, ch.arp, iArp, s.arpVolume + accent);
        }
        w.fx(row, kArp, kFxArpeggio, ch.arpParam);  // keep the chord shimmering between hits
      }
    }
  }
  if (s.crash) w.note(0, kFx, "C-4", iCrash, 44);
  if (s.riser) w.note(rows - 32, kFx, "C-4", iRiser, 40);
  if (s.lead && !WriteLead(w, s.lead, error)) return false;
  *out = w.take();
  return true;
}

// The last chord rings on and thins out; the show fades its own volume before this.
XmPattern Tail(int rows) {
  Writer w(rows);
  w.note(0, kKick, "C-4", iKick, 64);
  w.note(0, kFx, "C-4", iCrash, 40);
  w.note(0, kBass, kAm.bass, iBass, 56);
  for (int v = 0; v < 3; ++v) w.note(0, kPad1 + v, kAm.pad[v], iPad, 44);
  w.note(0, kArp, "A-5", iArp, 30);
  w.note(8, kArp, "E-5", iArp, 24);
  w.note(16, kArp, "A-4", iArp, 18);
  for (int r = 0; r < rows; ++r) w.fx(r, kArp, kFxArpeggio, 0x37);
  for (int r = 4; r < rows; r += 4)
    for (int v = 0; v < 3; ++v) w.fx(r, kPad1 + v, kFxVolumeSlide, 0x01);
  return w.take();
}

}  // namespace

bool BuildSong(XmModule* song, std::string* error) {
  XmModule m;
  m.name = "Tavrine Disco";
  m.channels = kChannels;
  m.speed = 6;
  m.tempo = 144;
  m.linearFrequencies = true;
  m.instruments = {MakeKick(),  MakeSnare(), MakeClap(), MakeClosedHat(), MakeOpenHat(),
                   MakeBass(),  MakePad(),   MakeLead(), MakeArp(),       MakeCrash(), MakeRiser()};

  Section intro{kVerse};  // under the stars: pad and a few glints
  intro.pad = 38;
  intro.arp = 1;
  intro.arpVolume = 30;

  Section credits{kVerse};
  credits.pad = 40;
  credits.arp = 2;
  credits.arpVolume = 30;
  credits.bass = 1;
  credits.fill = 2;
  credits.riser = true;

  Section drumsIn{kVerse};  // the first 3D scene: the beat arrives
  drumsIn.kick = 1;
  drumsIn.clap = true;
  drumsIn.hats = 1;
  drumsIn.bass = 2;
  drumsIn.pad = 36;
  drumsIn.crash = true;

  Section build = drumsIn;
  build.crash = false;
  build.hats = 2;
  build.arp = 2;
  build.fill = 2;

  Section hook{kVerse};
  hook.kick = 1;
  hook.clap = true;
  hook.hats = 2;
  hook.openHats = true;
  hook.bass = 3;
  hook.pad = 28;
  hook.lead = kHook;
  hook.crash = true;

  Section answer = hook;
  answer.lead = kAnswer;
  answer.crash = false;
  answer.fill = 2;

  Section lift{kLift};
  lift.kick = 1;
  lift.clap = true;
  lift.hats = 2;
  lift.openHats = true;
  lift.bass = 3;
  lift.pad = 36;
  lift.arp = 3;
  lift.crash = true;

  Section breakdown{kTension};  // the tunnel: thin out, then roll into the drop
  breakdown.kick = 2;
  breakdown.hats = 1;
  breakdown.bass = 1;
  breakdown.pad = 44;
  breakdown.arp = 3;
  breakdown.fill = 1;
  breakdown.riser = true;

  Section groove{kVerse};  // the plasma: everything at once
  groove.kick = 1;
  groove.clap = true;
  groove.hats = 2;
  groove.openHats = true;
  groove.bass = 3;
  groove.pad = 30;
  groove.arp = 3;
  groove.arpVolume = 32;
  groove.crash = true;

  Section grooveHook = groove;
  grooveHook.crash = false;
  grooveHook.lead = kHook;
  grooveHook.arp = 2;
  grooveHook.arpVolume = 26;
  Section grooveAnswer = grooveHook;
  grooveAnswer.lead = kAnswer;
  grooveAnswer.fill = 2;

  static const Chord* const kHold[4] = {&kE, &kE, &kE, &kE};
  Section still{kHold};  // one bar on the dominant under the still picture
  still.pad = 46;
  still.bass = 1;
  still.arp = 3;
  still.fill = 1;
  still.crash = true;

  Section swirl = groove;
  swirl.chords = kTension;
  swirl.crash = false;
  swirl.arp = 3;
  swirl.fill = 2;

  Section greetings{kLift};  // the melodic part
  greetings.kick = 1;
  greetings.hats = 1;
  greetings.bass = 2;
  greetings.pad = 40;
  greetings.lead = kSong;
  greetings.crash = true;

  Section outro{kVerse};
  outro.kick = 1;
  outro.clap = true;
  outro.hats = 1;
  outro.bass = 1;
  outro.pad = 40;
  outro.arp = 1;

  struct Entry { const Section* section; int rows; };
  const Entry plan[] = {
      {&intro, 64},      {&credits, 64},   {&drumsIn, 64}, {&build, 64},  {&hook, 64},   {&answer, 64},
      {&lift, 64},       {&breakdown, 64}, {&groove, 64},  {&grooveHook, 64}, {&grooveAnswer, 64},
      {&still, 16},      {&groove, 64},    {&swirl, 64},   {&greetings, 64}, {&outro, 64},
  };
  for (const Entry& e : plan) {
    XmPattern p;
    if (!Compose(*e.section, e.rows, &p, error)) return false;
    m.orders.push_back(uint8_t(m.patterns.size()));
    m.patterns.push_back(std::move(p));
  }
  m.orders.push_back(uint8_t(m.patterns.size()));
  m.patterns.push_back(Tail(kSongTailRows));
  *song = std::move(m);
  return true;
}

bool WriteSongFile(const std::string& dir, std::string* error) {
  XmModule song;
  if (!BuildSong(&song, error)) return false;
  return WriteXmFile(dir + "/Music/DISCO.XM", song, error);
}
