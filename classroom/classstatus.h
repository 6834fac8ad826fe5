#pragma once
// The classroom session's status and phase. The status values travel: the heartbeat reports
// the stage role from them and the shell asks whether the student is in the room (above 1).

enum class ClassStatus : int {
  Created = 0,   // construction
  SignedIn = 1,  // the live SDK sign-in succeeded
  Listening = 2, // in the room; also after leaving the stage
  OnStage = 3,   // speaking with the teacher
};

// Leaving is one step: once it starts nothing of the running class answers any more, and
// the close that releases the session ends it.
enum class ClassPhase {
  Running,
  Leaving,
  Closed,
};
