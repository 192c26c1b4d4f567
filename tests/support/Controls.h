#pragma once
// Reaching a window's control by its object name, as a user finds it by its
// caption: the windows keep their control pointers to themselves.
#include <QDialog>
#include <QList>
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zovax::test {

// The one child of `root` (at any depth) named `name`, of type T. Widgets of
// the dialogs that `root` parents are not its own and are passed over (the
// network dialog has a "btnConnect" too). A missing or doubled name fails the
// test at once: the test stops here (by an exception, which the test runner
// reports with the name) instead of crashing on a null pointer later.
template <typename T> T* control(const QObject& root, const char* name)
{
    QList<T*> found = root.findChildren<T*>(QString::fromLatin1(name));
    found.removeIf([&root](const QObject* c) {
        for (const QObject* p = c->parent(); p && p != &root; p = p->parent())
            if (qobject_cast<const QDialog*>(p))
                return true;
        return false;
    });
    if (found.size() != 1) {
        const std::string what = std::string(found.isEmpty() ? "no" : "more than one") + " control \"" + name
            + "\" of the expected type in \"" + root.objectName().toStdString() + "\"";
        ADD_FAILURE() << what;
        throw std::logic_error(what);
    }
    return found.front();
}

} // namespace zovax::test
