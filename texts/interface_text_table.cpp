#include "texts/interface_text_table.h"

#include "core/simulation_state.h"

TInterfaceTexts InterfaceTexts;

void FillInterfaceTexts()
{
    SimulationState.versionText = "version " TARVEK_VERSION;
    TInterfaceTexts& t = InterfaceTexts;
    t.designTexts = {"", "Equal", "Proportional to "};
    t.estimatorNames = {"", "Direct", "Ratio", "Regression", "Post-stratification"};
    t.usingText = ", using ";
    t.nonresponseTexts = {"", "Yes, by ", "No"};
    t.messageTexts = {"", "You must first read a population!", "The sample size must be at least 2!"};
    t.selectVariableText = " Variable ";
    t.errorHeadingText = "There is something wrong:";
    t.targetVariableText = " Target variable ";
    t.samplingDesignTexts = {"", " Sample size ", " Sampling ", "with equal probabilities",
                             "with probabilities proportional to:"};
    t.estimatorDialogTexts = {"", " Estimator ", " Auxiliary variable "};
    t.nonresponseDialogTexts = {"", " Nonresponse variable ", " Nonresponse percentages ",
                                "For minimum value:", "For maximum value:"};
    t.distributionTexts = {"", "Variable:", "Mean:", "Stand. dev:"};
    t.parameterTexts = {"",
                        " Type of output ",
                        "Distribution of the estimator",
                        "95% confidence intervals",
                        " Simulations ",
                        "Number of simulations:",
                        " Scale ",
                        "Lowerbound:",
                        "Upperbound:",
                        " for sample of size",
                        "Set",
                        " Compression ",
                        "Vertical compression factor:"};
    t.simulationWindowTexts = {"", "Variable:", "Save", "Statistics", "Next", "Automatic"};
    t.statisticsTexts = {"",
                         "Population",
                         "Sample size",
                         "Probabilities",
                         "Target variable",
                         "Estimator",
                         "Nonresponse",
                         "Simulations",
                         "",
                         "Mean (theoretical)",
                         "Mean (simulated)",
                         "",
                         "Standard error (theoretical)",
                         "Standard error (simulated)",
                         "Equal",
                         "Proportional to "};
    t.correctIntervalsText = "Percentage of correct intervals";
    t.aboutTexts = {"",
                    "Tarvek for Windows",
                    SimulationState.versionText,
                    "Simulation of samples from finite populations",
                    "Written by the Tarvek project",
                    "Free software, licence GPL-3.0-or-later",
                    "Source: the Tarvek project repository",
                    "Report problems at the project's tracker"};
    t.designDetailTexts = {"",
                           "Stratified by ",
                           ", ",
                           "proportional",
                           "equal",
                           "optimal",
                           "Systematic, file order",
                           "Systematic, ordered by ",
                           "-"};
    t.stratifiedDialogTexts = {"",
                               " Sample size ",
                               " Stratification variable ",
                               " Allocation ",
                               "Proportional",
                               "Equal",
                               "Optimal (Neyman)",
                               "Stratum",
                               "N_h",
                               "S_h",
                               "n_h"};
    t.systematicDialogTexts = {"", " Sample size ", " Order of the list ", "File order"};
}
