#pragma once

// Lets the GUI process its pending events once and returns.
void DoEvents();
