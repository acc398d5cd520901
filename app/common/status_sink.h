#pragma once
// Where progress and state texts go: the three status texts of the top bar and
// the mouse pointer. The window implements it; tests record it.

#include <QString>

class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void setMsg1(const QString& text) = 0;  // progress, VPN state
    virtual void setMsg2(const QString& text) = 0;  // reader state, archive, report count
    virtual void setMsg3(const QString& text) = 0;  // patient name and eligibility
    virtual void setBusyCursor(bool busy) = 0;      // hourglass while the reader works
};

// The hourglass for as long as it lives: normal again on every way out.
class BusyCursor {
  public:
    explicit BusyCursor(StatusSink& status) : status_(status) { status_.setBusyCursor(true); }
    ~BusyCursor() { status_.setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    StatusSink& status_;
};
