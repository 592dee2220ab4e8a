#pragma once
// The application-wide set-up of the program: its names, style, icon theme fallback and
// window icon. Called once, right after the QApplication is constructed; the tests that
// render the window call it too, so they see what the user sees.
void PrepareApplication();
