#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TfrmSaveSpec;
}

// Asks for the name and the file of a specification about to be saved.
class TfrmSaveSpec : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSaveSpec(QWidget *parent = nullptr);
    ~TfrmSaveSpec() override;

    // The boxes; an empty name becomes "Import specification".
    void SetSpecification(const std::string &specName, const std::string &fileName);
    std::string SpecName() const;
    std::string FileName() const;

    // What "..." offers, "Description|*.a;*.b|…".
    QString Filter;

    Ui::TfrmSaveSpec &Form() const { return *ui_; }

private:
    void ChooseFile();

    std::unique_ptr<Ui::TfrmSaveSpec> ui_;
};

// The save-specification dialog a host shows when the engine asks for one: true with the
// boxes' texts when the user confirms, false with both left as they came otherwise.
bool AskSpecificationFileDialog(QWidget *parent, std::string &specName, std::string &fileName);
