// The engine's entry: one run over an argument vector, like a program's main.
#pragma once

// Runs the engine over argv (argument 0 is the program name). The strings
// from the archive argument on are modified in place; returns an EngineResult.
int engine_main(int argc, char** argv);
