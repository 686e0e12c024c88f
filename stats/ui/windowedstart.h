#pragma once

/// Starts Tolvane's windows (the results window first) and runs the event loop.
int startWindowed(int argc, char **argv);
