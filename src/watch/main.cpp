// The session watcher: started by the launcher as the parent of a game's emulator, it waits for
// the game to end and records its play time. It links no Qt, so it stays small while it waits.
#include "launch/session_watch.h"

int main(int argc, char** argv) { return kl::watchSession(argc, argv); }
