#pragma once

#include "engine/VxIHost.h"

#include <QDialog>

#include <string>
#include <vector>

// The window that asks for the values of an import's parameters before it runs: one
// labelled editor per parameter, of the kind the parameter names, its description as
// the hint.
class TfrmParameterPrompt : public QDialog {
    Q_OBJECT

public:
    TfrmParameterPrompt(const std::string &caption, const std::vector<TVxIParameterPrompt> &prompts,
                        QWidget *parent = nullptr);

    // The editor of the parameter at this position.
    QWidget *Editor(std::size_t index) const { return editors_.at(index); }
    // Each editor's content into its prompt.
    void ApplyTo(std::vector<TVxIParameterPrompt> &prompts) const;

private:
    QWidget *CreateEditor(const TVxIParameterPrompt &prompt);

    std::vector<QWidget *> editors_;
};

// Shows the window modally; on OK the prompts hold what the user entered. False on Cancel.
bool PromptParametersDialog(QWidget *parent, const std::string &caption, std::vector<TVxIParameterPrompt> &prompts);
