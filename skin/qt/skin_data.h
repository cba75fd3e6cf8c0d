// TSkinData, the skin component: the skin file it reads and whether skinning
// is on.
#pragma once

#include <QObject>
#include <string>

class TSkinData : public QObject {
    Q_OBJECT

public:
    explicit TSkinData(QObject* owner = nullptr) : QObject(owner) {}
    const std::string& SkinFile() const { return m_skinFile; }
    void SetSkinFile(const std::string& path) { m_skinFile = path; }
    bool Active() const { return m_active; }
    // Switching on applies the skin file; a missing or unreadable file leaves
    // the standard look.
    void SetActive(bool on) { m_active = on; }

private:
    std::string m_skinFile;
    bool m_active = false;
};
