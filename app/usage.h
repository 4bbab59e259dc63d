// The answers to "--help" and "--version", which the show gives without opening a window.
#pragma once

// First thing in main: when argv[1] is exactly "--help" or "--version", prints the usage
// or the version on stdout and exits with 0. Any other command line is left to the show.
void answerHelpOrVersion(int argc, char** argv);
