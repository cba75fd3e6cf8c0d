// SPDX-License-Identifier: GPL-3.0-or-later
// The Tag of a form or a control: a number the program gives it (the dynamic
// property "tag") that the skin reads to leave a form or a control alone.
#pragma once

#include <QObject>
#include <QVariant>

inline constexpr char kTagProperty[] = "tag";
// A form with this Tag is never skinned, whatever the components' DisableTag.
inline constexpr int kUnskinnedFormTag = 99;

inline int WidgetTag(const QObject* object) {
    return object->property(kTagProperty).toInt();
}

inline void SetWidgetTag(QObject* object, int tag) {
    object->setProperty(kTagProperty, tag);
}
