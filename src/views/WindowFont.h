#pragma once
// The face of every Zarvex window: a semi-condensed 10-pixel sans, so every caption fits the
// fixed pixel layout (the stretch is synthesised where the condensed face is missing).
#include <QFont>

QFont WindowFont();
