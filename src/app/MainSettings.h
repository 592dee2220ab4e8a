#pragma once
// The ten settings of the main window under the per-user key \Software\Quillmoor\Zarvex:
// three edit-box texts and seven check-box states, stored as strings ("1"/"0" for the boxes).
struct TMainControls;

// Reads every value into its control, in the order of the table, each applied at once: a
// check box that changes runs its click behaviour, so a false CheckFileSize overrides the
// CheckFileStamp and CheckFileName read before it. Absent values give the defaults; a present
// text is used as stored, also when empty.
void ReadMainSettings(TMainControls& controls);
// Writes the ten values as the controls stand; a store that cannot be written is ignored.
void WriteMainSettings(const TMainControls& controls);

class QWidget;

// The window's place (position and size of its client area, and whether it is maximised) under
// values of its own beside the ten: WindowLeft, WindowTop, WindowWidth, WindowHeight and
// WindowMaximized. Reading places the window within the screen it was on (else the primary
// one), never smaller than its minimum size; false, with nothing changed, when no complete
// place is stored.
bool ReadWindowPlacement(QWidget& window);
void WriteWindowPlacement(const QWidget& window);
