#pragma once
// Reaching a window's control by its object name, as a user finds it by its
// caption: the windows keep their control pointers to themselves.
#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace zovax::test {

// The child of `root` (at any depth) named `name`, of type T. A missing name
// or another type fails the test at once: the test stops here (by an
// exception, which the test runner reports with the name) instead of crashing
// on a null pointer later.
template <typename T> T* control(const QObject& root, const char* name)
{
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (!found) {
        const std::string what = std::string("no control \"") + name + "\" of the expected type under \""
            + root.objectName().toStdString() + "\"";
        ADD_FAILURE() << what;
        throw std::logic_error(what);
    }
    return found;
}

} // namespace zovax::test
