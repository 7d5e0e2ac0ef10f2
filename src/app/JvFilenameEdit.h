#pragma once

#include <QWidget>

class QFileDialog;
class QLineEdit;
class QToolButton;

// A file-name box with a browse button that opens a file dialog: for an existing file,
// or for a file to write (which may exist already).
class TJvFilenameEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)

public:
    explicit TJvFilenameEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    // "Description|*.ext|…", as the dialog's file types.
    const QString &Filter() const { return filter_; }
    void SetFilter(const QString &filter) { filter_ = filter; }
    // A dialog for a file to write, proposing this extension when none is typed.
    void SetSaveDialog(const QString &defaultExt)
    {
        save_ = true;
        defaultExt_ = defaultExt;
    }
    // The folder the dialog starts in.
    const QString &InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString &folder) { initialDir_ = folder; }

    QLineEdit *Edit() const { return edit_; }
    QToolButton *Button() const { return button_; }

    // The dialog as the browse button opens it; the caller deletes it.
    QFileDialog *CreateDialog();
    // Opens the dialog; the chosen file becomes the text.
    void Browse();

Q_SIGNALS:
    void textChanged(const QString &text);
    void returnPressed();

private:
    QLineEdit *edit_;
    QToolButton *button_;
    QString filter_;
    QString initialDir_;
    bool save_ = false;
    QString defaultExt_;
};
