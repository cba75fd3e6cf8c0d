// The engine's dialog library: initialisation and the font its dialogs use.
#pragma once

#include <QFont>
#include <cstdint>

// Prepares the dialog library; 1 on success. Safe to call more than once.
int32_t P_DlgInit(int32_t flags);
// Sets the font of every engine dialog; 1 on success.
int32_t P_DlgSetFont(const QFont& font);
// The font set by P_DlgSetFont, or the application font.
QFont P_DlgFont();
