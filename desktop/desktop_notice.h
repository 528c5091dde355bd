#pragma once
// A notice on the desktop, through the notification service of the session
// bus. Sent without waiting for an answer; when no service answers, nothing
// happens at all. Each notice replaces the one before, so the chair sees only
// what holds now.

#include <QObject>
#include <QString>

namespace bw {

class DesktopNotice : public QObject {
  public:
    void show(const QString& summary, const QString& body);

  private:
    uint shownId_ = 0; // the service's id of our notice on screen, if any
};

} // namespace bw
