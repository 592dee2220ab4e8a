#pragma once
// The application-wide set-up of the program: its names, style, icon theme fallback and
// window icon. Called once, right after the QApplication is constructed; the tests that
// render the window call it too, so they see what the user sees.
void PrepareApplication();

class QWidget;

// SIGTERM and SIGHUP close the window as Exit does (settings and lists written). The handler
// only writes a byte to a pipe; the window is closed from the event loop, never from inside
// the handler.
void CloseOnTerminationSignals(QWidget& window);
