#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `action` on the modal window of type T as soon as it shows; for dialogs that a
// click opens with exec().
template <class T> void whenModalShows(std::function<void(T*)> action, int attempts = 200)
{
    QTimer::singleShot(10, [action, attempts] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(window);
        } else if (attempts > 0) {
            whenModalShows<T>(action, attempts - 1);
        }
    });
}
