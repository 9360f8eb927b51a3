// The two windows of Crier as data: the main window and the file picker.
#pragma once

#include "windowspec.h"

namespace crier {

extern const forms::WindowSpec mainWindow;
extern const forms::WindowSpec filePickerWindow;

} // namespace crier
