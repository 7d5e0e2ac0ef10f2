#pragma once

#include "engine/VxIHost.h"

#include <QDialog>

#include <chrono>
#include <memory>

namespace Ui {
class TfrmVxIProcess;
}

// The progress window of a running import: status, bar, counters, the rate and the time
// left, and the button that cancels the run (and, once it ended, closes the window).
// It is not modal: the run keeps it alive by handing it the user's input now and then.
// A run of a million rows updates it a million times, so it repaints only a few times a
// second and looks at the user's input a few dozen times.
class TfrmVxIProcess : public QDialog {
    Q_OBJECT

public:
    explicit TfrmVxIProcess(QWidget *parent = nullptr);
    ~TfrmVxIProcess() override;

    Ui::TfrmVxIProcess &Form() { return *ui_; }

    void Setup(const TVxIProgressSetup &setup);
    void SetRange(int minimum, int maximum, int position);
    void Update(const std::string &status, const TVxIProgressCounters &counters);
    void SetButtonCaption(const std::string &caption);
    bool Cancelled() const { return cancelled_; }
    // Shows what the last update brought, however recent the last repaint.
    void Flush();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void ShowCounters(const TVxIProgressCounters &counters);
    QString RateText(const TVxIProgressCounters &counters) const;

    std::unique_ptr<Ui::TfrmVxIProcess> ui_;
    bool cancelled_ = false;
    bool showCounters_ = true;
    int maximum_ = 0;
    std::string status_;
    TVxIProgressCounters counters_;
    bool pending_ = false;
    std::chrono::steady_clock::time_point started_, lastPaint_, lastInput_;
};
