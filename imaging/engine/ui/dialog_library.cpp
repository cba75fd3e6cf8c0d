#include "imaging/engine/ui/dialog_library.h"

#include <QApplication>
#include <optional>

namespace {
std::optional<QFont> g_font;
}

int32_t P_DlgInit(int32_t /*flags*/) {
    return 1;
}

int32_t P_DlgSetFont(const QFont& font) {
    g_font = font;
    return 1;
}

QFont P_DlgFont() {
    return g_font ? *g_font : QApplication::font();
}
