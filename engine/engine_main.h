// The engine's entry: one run over an argument vector, like a program's main.
#pragma once

struct EngineState;

// Runs the engine over argv (argument 0 is the program name) with the
// program's one state, `engine`. The strings from the archive argument on are
// modified in place and the vector must end with a NULL entry; returns an
// EngineResult.
int engine_main(int argc, char** argv);

// engine_main over a given state (tests run on a fresh one).
int engine_run(EngineState& s, int argc, char** argv);
