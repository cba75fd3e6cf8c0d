// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_manager.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QWidget>
#include <algorithm>

#include "skin/qt/skin_data.h"
#include "skin/qt/skin_form_painter.h"
#include "skin/qt/skin_tag.h"

namespace {

// The form that owns a component: the window of its nearest widget owner.
const QWidget* OwnerForm(const TSkinData* component) {
    for (const QObject* o = component->parent(); o; o = o->parent())
        if (const auto* w = qobject_cast<const QWidget*>(o)) return w->window();
    return nullptr;
}

}  // namespace

TSkinManager* TSkinManager::Instance() {
    static QPointer<TSkinManager> manager;
    if (!manager && qApp) manager = new TSkinManager;
    return manager;
}

TSkinManager::TSkinManager() : QObject(qApp) {
    timer_.setSingleShot(true);
    timer_.setInterval(kDeferMs);
    connect(&timer_, &QTimer::timeout, this, &TSkinManager::RunDeferred);
    qApp->installEventFilter(this);
}

// The application drops the filter by itself once the manager is gone.
TSkinManager::~TSkinManager() {
    skinned_.clear();
}

void TSkinManager::Register(TSkinData* component) {
    components_.push_back(component);
}

void TSkinManager::Unregister(TSkinData* component) {
    std::erase_if(components_, [&](const QPointer<TSkinData>& c) { return !c || c == component; });
    // Without its current skin the manager skins no further window.
    if (current_ == component) {
        current_ = nullptr;
        on_ = false;
    }
    const QWidget* owner = OwnerForm(component);
    for (auto it = skinned_.begin(); it != skinned_.end();) {
        if (it->second.component != component && it->second.component) {
            ++it;
            continue;
        }
        // The owner form is going away with its component: leave it be.
        if (it->second.painter->Form() == owner) it->second.painter->Abandon();
        it = skinned_.erase(it);
    }
}

void TSkinManager::SkinFileChanged(TSkinData* component) {
    if (!started_) return;
    refresh_.push_back(component);
    timer_.start();
}

void TSkinManager::SwitchOn(TSkinData* component) {
    current_ = component;
    on_ = true;
    if (!started_) {
        // The first time skinning starts at once: windows are skinned as
        // they are shown or activated.
        started_ = true;
        return;
    }
    pending_ = Pending::SkinAll;
    timer_.start();
}

void TSkinManager::SwitchOff(TSkinData*) {
    on_ = false;
    if (!started_) return;
    pending_ = Pending::UnskinAll;
    timer_.start();
}

bool TSkinManager::IsSkinned(const QWidget* window) const {
    return skinned_.count(window) != 0;
}

TSkinFormPainter* TSkinManager::PainterOf(const QWidget* window) const {
    const auto it = skinned_.find(window);
    return it == skinned_.end() ? nullptr : it->second.painter.get();
}

TSkinData* TSkinManager::ComponentFor(const QWidget* window) const {
    for (const QPointer<TSkinData>& c : components_)
        if (c && c->SkinFormtype() == sfOnlyThisForm && OwnerForm(c) == window) return c;
    if (qobject_cast<const QDialog*>(window)) {
        for (const QPointer<TSkinData>& c : components_)
            if (c && c->SkinFormtype() == sfDialog) return c;
    }
    if (current_ && current_->SkinFormtype() == sfMainform) return current_;
    for (const QPointer<TSkinData>& c : components_)
        if (c && c->SkinFormtype() == sfMainform) return c;
    for (const QPointer<TSkinData>& c : components_)
        if (c) return c;
    return nullptr;
}

bool TSkinManager::Selects(QWidget* window) const {
    if (!on_ || IsSkinned(window)) return false;
    // Top-level windows and dialogs only: no menus, tool tips or other popups.
    if (!window->isWindow()) return false;
    const Qt::WindowType type = window->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return false;
    if (window->property("skinPart").toBool()) return false;
    if (window->width() <= 0 || window->height() <= 0) return false;
    if (WidgetTag(window) == kUnskinnedFormTag) return false;
    const TSkinData* component = ComponentFor(window);
    if (!component || component->Empty()) return false;
    const QString name = QString::fromLatin1(window->metaObject()->className()).toLower();
    if (name.contains("preview") && !(component->Options() & Bit(xoPreview))) return false;
    return true;
}

void TSkinManager::SkinWindow(QWidget* window) {
    TSkinData* component = ComponentFor(window);
    if (!component) return;
    if (component->OnFormSkin) {
        bool skin = true;
        component->OnFormSkin(window, skin);
        if (!skin) return;
    }
    if (component->OnBeforeSkinForm) component->OnBeforeSkinForm(window);
    Skinned s;
    s.component = component;
    s.painter = std::make_unique<TSkinFormPainter>(window, component->Look(),
                                                   component->PainterSettings(), this);
    skinned_.emplace(window, std::move(s));
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        const auto it = skinned_.find(gone);
        if (it == skinned_.end()) return;
        it->second.painter->Abandon();
        skinned_.erase(it);
    });
    if (component->OnAfterSkinForm) component->OnAfterSkinForm(window);
}

void TSkinManager::RunDeferred() {
    const Pending pending = std::exchange(pending_, Pending::None);
    if (pending == Pending::UnskinAll && !on_) {
        skinned_.clear();
    } else if (pending == Pending::SkinAll && on_) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            if (Selects(w)) {
                SkinWindow(w);
            } else if (const auto it = skinned_.find(w); it != skinned_.end()) {
                // Skinned by another component before: take the current one.
                TSkinData* c = ComponentFor(w);
                if (c && !c->Empty() && c != it->second.component) {
                    it->second.component = c;
                    it->second.painter->SetLook(c->Look());
                }
            }
        }
    }
    for (const QPointer<TSkinData>& c : std::exchange(refresh_, {})) {
        if (!c || c->Empty()) continue;
        for (auto& [window, s] : skinned_)
            if (s.component == c) s.painter->SetLook(c->Look());
    }
}

bool TSkinManager::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::WindowActivate: {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->isWindow() && Selects(w)) SkinWindow(w);
            break;
        }
        case QEvent::Polish: {
            // A control made after its window was skinned.
            if (skinned_.empty()) break;
            auto* w = qobject_cast<QWidget*>(watched);
            if (!w || !w->parentWidget()) break;
            if (w->isWindow() && !qobject_cast<QMenu*>(w)) break;
            if (TSkinFormPainter* p = PainterOf(w->parentWidget()->window())) p->AttachControls(w);
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
