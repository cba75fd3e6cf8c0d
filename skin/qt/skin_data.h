// TSkinData, the skin component: the skin file it reads and whether skinning
// is on.
#pragma once

#include <QObject>
#include <string>

class TSkinData : public QObject {
    Q_OBJECT

public:
    explicit TSkinData(QObject* owner = nullptr) : QObject(owner) {}
    const std::string& SkinFile() const { return skinFile_; }
    void SetSkinFile(const std::string& path) { skinFile_ = path; }
    bool Active() const { return active_; }
    // Switching on applies the skin file; a missing or unreadable file leaves
    // the standard look.
    void SetActive(bool on) { active_ = on; }

private:
    std::string skinFile_;
    bool active_ = false;
};
