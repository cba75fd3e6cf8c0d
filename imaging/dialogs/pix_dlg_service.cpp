// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/pix_dlg_service.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "imaging/control/status/status_message.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/engine/status_codes.h"

namespace {

bool g_serviceExists = false;

// What the modal bracket remembers between Begin and End.
struct ModalMemory {
    QPointer<QWidget> active;
    std::vector<QPointer<QWidget>> disabled;
    QPointer<QWidget> focus;
};
ModalMemory g_modal;

DlgEngine g_realEngine;
DlgEngine* g_engine = &g_realEngine;

std::string Format(const char* codeWord, const std::string& name, int32_t code,
                   const std::string& operation) {
    return name + " \n" + codeWord + ": " + std::to_string(code) + "\n" + operation + ": " +
           StatusMessage(code) + " ";
}

}  // namespace

DlgEngine& CurrentDlgEngine() {
    return *g_engine;
}

void SetDlgEngine(DlgEngine* engine) {
    g_engine = engine ? engine : &g_realEngine;
}

std::string DlgErrorMessage(const std::string& name, int32_t code, const std::string& operation) {
    return Format("Error code", name, code, operation);
}

std::string DlgColorErrorMessage(const std::string& name, int32_t code,
                                 const std::string& operation) {
    return Format("Errorcode", name, code, operation);
}

int32_t DlgReportedCode(int32_t code) {
    return code == pix::kInvalidStructSize ? pix::kInternal : code;
}

bool DlgCodeFails(int32_t code) {
    return code < kDlgOk && code != pix::kSuccess;
}

TPixDlgService::TPixDlgService(QObject* owner) : QObject(owner) {
    if (g_serviceExists) throw EInvalidOperation("Two Contorl objects are not allowed ");
    g_serviceExists = true;
}

TPixDlgService::~TPixDlgService() {
    g_serviceExists = false;
}

void TPixDlgService::SetDialogsFont(const QFont& font) {
    font_ = font;
    CurrentDlgEngine().SetFont(font_);
}

int32_t TPixDlgService::InitDialogs(uint32_t flags) {
    return CheckStatus("InitDialogs", CurrentDlgEngine().Init(static_cast<int32_t>(flags)), true);
}

int32_t TPixDlgService::CheckStatus(const std::string& operation, int32_t code, bool allowRaise) {
    lastStatus_ = DlgReportedCode(code);
    if (allowRaise && DlgCodeFails(lastStatus_))
        throw EPixDlgServiceError(
            DlgErrorMessage(objectName().toStdString(), lastStatus_, operation));
    return lastStatus_;
}

void BeginDialogModal() {
    g_modal = ModalMemory{};
    g_modal.active = QApplication::activeWindow();
    g_modal.focus = QApplication::focusWidget();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isWindow() || !w->isVisible() || !w->isEnabled()) continue;
        w->setEnabled(false);
        g_modal.disabled.emplace_back(w);
    }
}

void EndDialogModal() {
    ModalMemory memory = std::move(g_modal);
    g_modal = ModalMemory{};
    for (const QPointer<QWidget>& w : memory.disabled)
        if (w) w->setEnabled(true);
    if (memory.active) memory.active->activateWindow();
    if (memory.focus) memory.focus->setFocus();
}
