#pragma once
// The dialog in which the variable to display is chosen.

#include "ui/variable_choice_dialog.h"

class TSelVar : public VariableChoiceDialog {
public:
    explicit TSelVar(QWidget* parent = nullptr);

    /// \brief Lists the variables, preselects displayVariable (variable 1 when
    /// none), shows the dialog modally and empties the list again. Afterwards
    /// displayVariable is the chosen variable, or 0 when the choice was cancelled.
    void Execute();

    void OKButtonClick() override;

    /// \brief Every way of closing other than OK counts as Cancel.
    void reject() override;
};
