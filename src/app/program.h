// The program from start to end: title, main window, event loop.
#pragma once

int RunProgram(int argc, char* argv[]);
