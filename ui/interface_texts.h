#pragma once
// Applies the interface texts to the windows that show them.

/// \brief Fills the text table, applies the main window's menu, panel and
/// open-dialog texts, and sets the title of every window that exists so far.
void CreateInterfaceTexts();
