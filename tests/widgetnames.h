#pragma once

// A window's widget by its objectName: the name the user's tools and these
// tests know it by, whatever the window calls it inside. Names are UTF-8, as
// the menu items' are ("開く").

#include <QObject>
#include <QString>

template <class T> T* named(const QObject* owner, const char* objectName)
{
    T* found = owner ? owner->findChild<T*>(QString::fromUtf8(objectName)) : nullptr;
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), objectName);
    return found;
}

template <class T> T* named(const QObject& owner, const char* objectName)
{
    return named<T>(&owner, objectName);
}

// Whatever holds a window and hands it out with get(): a smart pointer, a
// test's rig.
template <class T, class Holder>
requires requires(const Holder& holder)
{
    static_cast<const QObject*>(holder.get());
}
T* named(const Holder& owner, const char* objectName)
{
    return named<T>(owner.get(), objectName);
}
