#pragma once
// Drives a real modal dialog from a test: once a modal widget of type T is
// up, act(T*) runs on it (and should close it). Polls every 10 ms; when none
// appears in time, whatever modal widget is up is rejected so the test fails
// instead of hanging offscreen.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace modal {

template <typename T>
void WhenShown(std::function<void(T*)> act, int timeoutMs = 3000) {
  auto tries = std::make_shared<int>(timeoutMs / 10);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act = std::move(act), tries, poll] {
    if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(widget);
      *poll = nullptr;  // breaks the self-reference
      return;
    }
    if (--*tries > 0) {
      QTimer::singleShot(10, [poll] { (*poll)(); });
      return;
    }
    if (auto* stray = qobject_cast<QDialog*>(QApplication::activeModalWidget())) stray->reject();
    *poll = nullptr;
  };
  QTimer::singleShot(0, [poll] { (*poll)(); });
}

}  // namespace modal
