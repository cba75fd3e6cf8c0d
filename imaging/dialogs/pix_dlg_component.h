// SPDX-License-Identifier: GPL-3.0-or-later
// What the brightness and sharpen dialog components share: their properties,
// the run of one engine dialog on an image control's bitmap (record, modal
// bracket, read-back, BitmapUpdateMessage, status check) and the help
// callback that they hand to the engine.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/engine/ui/dialog_library.h"

class QWidget;
class TPixImage;
class TPixDlgService;

// The handler of the help button of an engine dialog.
using TDlgHelpEvent = std::function<void(QObject* sender, uint32_t uDialogID)>;

// Called by the engine while one of its dialogs is open: calls the
// OnDlgHelp handler of the component in `userData`, if any. Nothing it raises
// leaves it: an error is shown in the standard error box.
void DialogHelpCallback(uint32_t dialogId, uint32_t value, void* userData);

class TPixDlgComponent : public QObject {
    Q_OBJECT

public:
    explicit TPixDlgComponent(QObject* owner = nullptr) : QObject(owner) {}

    bool EnableMethodErrors() const { return enableMethodErrors_; }
    void SetEnableMethodErrors(bool on) { enableMethodErrors_ = on; }
    // True puts DialogHelpCallback into every record while OnDlgHelp is set,
    // and the engine's dialogs then show their Help button. Otherwise the
    // record holds a null pointer: a Help button without a handler would do
    // nothing.
    bool ShowHelpButton() const { return showHelpButton_; }
    void SetShowHelpButton(bool on) { showHelpButton_ = on; }
    TDlgHelpEvent OnDlgHelp;

    // Neither is owned; whoever sets them keeps them alive while set.
    TPixImage* PixImage() const { return pixImage_; }
    void SetPixImage(TPixImage* image) { pixImage_ = image; }
    TPixDlgService* PixDlgService() const { return service_; }
    void SetPixDlgService(TPixDlgService* service) { service_ = service; }

    uint32_t DialogFlags() const { return dialogFlags_; }
    void SetDialogFlags(uint32_t flags) { dialogFlags_ = flags; }
    bool DialogSwitch() const { return dialogSwitch_; }
    void SetDialogSwitch(bool on) { dialogSwitch_ = on; }
    int32_t LastStatus() const { return lastStatus_; }

protected:
    using EngineDialog = int32_t (*)(QWidget* parent, PixDlgAdjustParams* params);

    // Runs the engine dialog on PixImage's bitmap with `value` in the record;
    // on OK reads `value` and DialogSwitch back and, with bit 0 of the flags,
    // sends PixImage BitmapUpdateMessage. The result goes through CheckStatus
    // under `operation`; the modal bracket is closed also when it raises.
    int32_t RunDialog(QWidget* parent, const std::string& operation, EngineDialog dialog,
                      int32_t* value);
    // Stores the code (-789 as -999) and raises the component's error for a
    // failing code when `allowRaise` and EnableMethodErrors are set.
    int32_t CheckStatus(const std::string& operation, int32_t code, bool allowRaise);
    [[noreturn]] virtual void RaiseError(int32_t code, const std::string& operation) = 0;
    void SetLastStatus(int32_t code) { lastStatus_ = code; }
    // The help callback for a record: DialogHelpCallback when ShowHelpButton
    // is on and OnDlgHelp is set, else null.
    PixDlgHelpCallback RecordHelpCallback() const {
        return showHelpButton_ && OnDlgHelp ? DialogHelpCallback : nullptr;
    }

private:
    bool enableMethodErrors_ = true;
    bool showHelpButton_ = false;
    TPixImage* pixImage_ = nullptr;
    TPixDlgService* service_ = nullptr;
    uint32_t dialogFlags_ = 0;
    bool dialogSwitch_ = false;
    int32_t lastStatus_ = 0;
};
