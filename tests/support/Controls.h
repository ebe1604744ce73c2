#pragma once

#include <QObject>
#include <QString>

// A window's control by its object name; a missing one ends the test run at
// once, since every later step would only fail less clearly.
template<typename T>
T* control(const QObject* w, const QString& name)
{
    T* c = w->findChild<T*>(name);
    if (!c)
        qFatal("control %s not found", qPrintable(name));
    return c;
}

template<typename T>
T* control(const QObject* w, const char* name)
{
    return control<T>(w, QString::fromLatin1(name));
}
