#pragma once

#include <QComboBox>

#include <functional>

// The wizard's table box: it fills its list from the database or connection named in
// step 2 when the user opens the list, not before (opening a connection may take a while).
class TTableNameBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    std::function<void()> BeforePopup;

    void showPopup() override
    {
        if (BeforePopup)
            BeforePopup();
        QComboBox::showPopup();
    }
};
