#pragma once
// The dialog in which the variable to be estimated is chosen.

#include "ui/variable_choice_dialog.h"

class TTargetVariable : public VariableChoiceDialog {
public:
    explicit TTargetVariable(QWidget* parent = nullptr);

    /// \brief Lists the variables, makes variable 1 the target when none is set
    /// (also if the dialog is then cancelled), preselects the target, shows the
    /// dialog modally and empties the list again.
    void Execute();

    /// \brief Makes the selected variable the target, which resets the graph
    /// scale to its range and the compression to 1.
    void OKButtonClick() override;
};
