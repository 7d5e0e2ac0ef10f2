#pragma once

#include "wizard/VxIWiz.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TfrmSpecs;
}

// One saved specification of the list: its file and the name it was saved under.
struct TVxISpecificationFile {
    std::string FileName;
    std::string SpecName;
};

// The saved specifications: load one into the wizard, save the wizard's settings, delete
// one. Load closes the window with mrNo once it loaded, Save with mrYes (the caller saves
// when the window is gone), Close and Escape with mrCancel.
class TfrmSpecs : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSpecs(QWidget *parent = nullptr);
    ~TfrmSpecs() override;

    void AddSpecification(TVxISpecificationFile entry);
    // Save as the user may; Load and Delete also need an entry when the window opens.
    void EnableButtons(bool save, bool load, bool remove);
    // Selects the first entry, if any, and makes it Load's target.
    void SelectFirst();

    int Count() const { return static_cast<int>(entries_.size()); }
    const TVxISpecificationFile &Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    // The selected entry; nullptr when none is.
    const TVxISpecificationFile *Selected() const;
    // What Load reads: the entry selected last; nullptr when none is.
    const TVxISpecificationFile *LoadTarget() const;

    // Reads the target into the wizard. What it raises is shown, and the window stays.
    std::function<void(const TVxISpecificationFile &)> OnLoad;

    Ui::TfrmSpecs &Form() const { return *ui_; }

    // Close and Escape: the window closes with mrCancel.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int SelectedRow() const;
    void SelectionChanged();
    void LoadClicked();
    void DeleteClicked();

    std::unique_ptr<Ui::TfrmSpecs> ui_;
    std::vector<TVxISpecificationFile> entries_; // one per list item, in the list's order
    int loadTarget_ = -1;
};
