#include "platform/sound.h"

// Placeholder until the sound library lands: everything succeeds silently.
void MIDASstartup() {}
int MIDASsetOption(int, intptr_t) { return 1; }
int MIDASinit() { return 1; }
MidasModule MIDASloadModule(const char*) { return 1; }
MidasPlayHandle MIDASplayModule(MidasModule, int) { return 1; }
int MIDASsetPosition(MidasPlayHandle, int) { return 1; }
int MIDASpoll() { return 1; }
int MIDASsetMusicVolume(MidasPlayHandle, unsigned) { return 1; }
int MIDASstopModule(MidasPlayHandle) { return 1; }
int MIDASfreeModule(MidasModule) { return 1; }
int MIDASclose() { return 1; }
int MIDASgetLastError() { return 0; }
const char* MIDASgetErrorMessage(int) { return "No error."; }
void MidasRefuseForTesting(MidasOperation, bool) {}
