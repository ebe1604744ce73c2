#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QTest>
#include <QTimer>

#include <utility>

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

// A modal window that opens during the next step gets this done to it.
template<typename W, typename F>
void whenModal(F&& act)
{
    QTimer::singleShot(0, [act = std::forward<F>(act)] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        QVERIFY2(w, "the expected modal window did not open");
        act(w);
    });
}
