#include "wizard/VxIStat.h"

#include "ui_VxIStat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLocale>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto paintInterval = std::chrono::milliseconds(250);
constexpr auto inputInterval = std::chrono::milliseconds(40);

QString fromStd(const std::string &s) { return QString::fromStdString(s); }

QString durationText(double seconds)
{
    const long long s = static_cast<long long>(seconds + 0.5);
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TfrmVxIProcess::TfrmVxIProcess(QWidget *parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmVxIProcess>())
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui_->btnCancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    started_ = lastInput_ = Clock::now();
}

TfrmVxIProcess::~TfrmVxIProcess() = default;

void TfrmVxIProcess::Setup(const TVxIProgressSetup &setup)
{
    showCounters_ = setup.ShowCounters;
    if (setup.ShowCounters) {
        ui_->lblDeleted->setText(fromStd(setup.DeletedCaption));
        ui_->lblUpdated->setText(fromStd(setup.UpdatedCaption));
        ui_->lblAdded->setText(fromStd(setup.AddedCaption));
        ui_->lblErrors->setText(fromStd(setup.ErrorsCaption));
        ui_->lblProcessed->setText(fromStd(setup.ProcessedCaption));
    }
    ui_->pnlCounters->setVisible(setup.ShowCounters);
    ui_->lblRate->setVisible(setup.ShowCounters);
    setWindowTitle(fromStd(setup.Caption));
    ui_->lblStatus->setText(fromStd(setup.Status));
    ui_->btnCancel->setText(fromStd(setup.ButtonCaption));
    ui_->Animate->setVisible(setup.Animate);
    status_ = setup.Status;
}

void TfrmVxIProcess::SetRange(int minimum, int maximum, int position)
{
    maximum_ = maximum;
    ui_->ProgressBar->setRange(minimum, std::max(minimum, maximum));
    ui_->ProgressBar->setValue(position);
    ui_->ProgressBar->setVisible(minimum != 0 || maximum != 0);
}

void TfrmVxIProcess::Update(const std::string &status, const TVxIProgressCounters &counters)
{
    if (status != status_) {
        status_ = status;
        ui_->lblStatus->setText(fromStd(status));
    }
    counters_ = counters;
    pending_ = true;
    const Clock::time_point now = Clock::now();
    if (now - lastPaint_ >= paintInterval) {
        Flush();
        lastPaint_ = now;
    }
    if (now - lastInput_ >= inputInterval) {
        lastInput_ = now;
        QApplication::processEvents();
    }
}

void TfrmVxIProcess::Flush()
{
    if (!pending_)
        return;
    pending_ = false;
    ShowCounters(counters_);
    repaint();
}

void TfrmVxIProcess::ShowCounters(const TVxIProgressCounters &c)
{
    if (ui_->ProgressBar->isVisible())
        ui_->ProgressBar->setValue(std::min(c.Processed, ui_->ProgressBar->maximum()));
    if (!showCounters_)
        return;
    ui_->lblTotalImported->setText(QString::number(c.Processed));
    ui_->lblTotalErrors->setText(QString::number(c.Errors));
    ui_->lblTotalAdded->setText(QString::number(c.Added));
    ui_->lblTotalUpdated->setText(QString::number(c.Updated));
    ui_->lblTotalDeleted->setText(QString::number(c.Deleted));
    ui_->lblTotalSkipped->setText(QString::number(c.Skipped));
    ui_->lblRate->setText(RateText(c));
}

QString TfrmVxIProcess::RateText(const TVxIProgressCounters &c) const
{
    const double seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    if (seconds < 0.1 || c.Processed <= 0)
        return {};
    const double rate = c.Processed / seconds;
    QString text = QStringLiteral("%1 rows per second").arg(QLocale().toString(rate, 'f', 0));
    if (maximum_ > c.Processed) {
        const double left = (maximum_ - c.Processed) / rate;
        text += left < 1 ? QStringLiteral(", less than a second left")
                         : QStringLiteral(", about %1 left").arg(durationText(left));
    }
    return text;
}

void TfrmVxIProcess::SetButtonCaption(const std::string &caption)
{
    // The run has ended: its last counters are the ones to see, without rate or time left.
    Flush();
    ui_->Animate->setRange(0, 1);
    ui_->Animate->setValue(1);
    ui_->btnCancel->setText(fromStd(caption));
    ui_->btnCancel->setFocus();
}

void TfrmVxIProcess::closeEvent(QCloseEvent *event)
{
    cancelled_ = true;
    event->ignore();
}

void TfrmVxIProcess::reject() { cancelled_ = true; }
