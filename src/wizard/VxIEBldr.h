#pragma once

#include "wizard/VxIEBldrCatalogue.h"

#include <QDialog>
#include <QIcon>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TfrmVxIExpBuilder;
}
class TDataSet;
class TVxIParameters;

// The expression builder: the user writes a mapping expression or a load condition,
// picking source columns, dataset fields and the words of the expression language from
// three lists, and checks it with the parser before taking it.
class TfrmVxIExpBuilder : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVxIExpBuilder(TExpBuilderCatalogue catalogue, QWidget *parent = nullptr);
    ~TfrmVxIExpBuilder() override;

    // The stored expression into the editor, with the field names the user sees.
    void SetExpression(const std::string &expression);
    // The editor's text as it is stored: field names back, on one line.
    std::string Expression() const;
    // What an operator button or a chosen entry puts in, over the editor's selection.
    void Insert(const QString &text);
    // Parses the editor's text and tells the user what the parser found.
    void Validate();

    const TExpBuilderCatalogue &Catalogue() const { return catalogue_; }
    Ui::TfrmVxIExpBuilder &Form() const { return *ui_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectControls();
    void TypeChosen(int row);
    void SubTypeChosen(int row);
    void ValueChosen(int row);
    void InsertValue();
    int ChosenSubCategory() const;

    std::unique_ptr<Ui::TfrmVxIExpBuilder> ui_;
    TExpBuilderCatalogue catalogue_;
    std::vector<QIcon> imgList_;     // one picture per type, by position
    std::vector<int> subCategories_; // catalogue index of each lbSubType row
    std::vector<int> entries_;       // catalogue index of each lbValue row
};

// Opens the builder over the expression; true and the edited expression when the user
// took it with OK, false and the expression unchanged otherwise. The datasets' fields are
// offered under their Name(), the destination first.
bool EditExpression(QWidget *parent, std::string &expression, const std::vector<TDataSet *> &datasets,
                    const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                    const TVxIParameters &parameters);
