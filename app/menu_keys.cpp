// SPDX-License-Identifier: GPL-3.0-or-later
// The window's keys: Ctrl+O for Load, Ctrl+Shift+S for Save As, Ctrl+Q to
// close, and Alt+letter for the menus. The captions carry no '&', so that they
// read exactly as designed; the mnemonics are shortcuts of their own instead.
#include <QKeyEvent>
#include <QMenuBar>
#include <QShortcut>

#include "app/main_window.h"

namespace {

// In an open menu, a letter chooses the item whose caption starts with it,
// as a mnemonic would.
class ItemLetters : public QObject {
public:
    explicit ItemLetters(QMenu* menu) : QObject(menu), menu_(menu) {
        menu->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~(Qt::AltModifier | Qt::ShiftModifier)) != Qt::NoModifier ||
            key->text().size() != 1 || !key->text()[0].isLetter())
            return false;
        QAction* match = nullptr;
        for (QAction* action : menu_->actions()) {
            if (!action->isVisible() || !action->isEnabled() || action->text().isEmpty()) continue;
            if (action->text()[0].toCaseFolded() != key->text()[0].toCaseFolded()) continue;
            if (match) return false;  // two items share the letter: leave it to the menu
            match = action;
        }
        if (!match) return false;
        // Closes the menu first, as choosing an item with the mouse does.
        menu_->hide();
        if (QMenuBar* bar = qobject_cast<QMenuBar*>(menu_->parentWidget()))
            bar->setActiveAction(nullptr);
        QMetaObject::invokeMethod(match, &QAction::trigger, Qt::QueuedConnection);
        return true;
    }

private:
    QMenu* menu_;
};

// Alt+letter opens `menu` from the menu bar.
void AddMenuMnemonic(QMainWindow* window, QMenu* menu, Qt::Key letter) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | letter), window);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [window, menu] { window->menuBar()->setActiveAction(menu->menuAction()); });
    new ItemLetters(menu);
}

}  // namespace

void TForm1::CreateKeys() {
    Load1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Closing by key goes through the close handler, as the close button does.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setObjectName("QuitShortcut");
    connect(quit, &QShortcut::activated, this, [this] { close(); });
    AddMenuMnemonic(this, File1, Qt::Key_F);
    AddMenuMnemonic(this, Sketch1, Qt::Key_S);
    AddMenuMnemonic(this, Help1, Qt::Key_H);
}
