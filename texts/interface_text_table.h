#pragma once
// The named texts and text arrays every window takes its captions and messages
// from. Plain strings without Qt, so that the batch simulator prints the same
// labels as the windows. Arrays are indexed from 1; index 0 is unused.

#include <array>
#include <string>

struct TInterfaceTexts {
    std::array<std::string, 3> designTexts;
    std::array<std::string, 5> estimatorNames;
    std::string usingText;
    std::array<std::string, 3> nonresponseTexts;
    std::array<std::string, 3> messageTexts;
    std::string selectVariableText;
    std::string errorHeadingText;
    std::string targetVariableText;
    std::array<std::string, 5> samplingDesignTexts;
    std::array<std::string, 3> estimatorDialogTexts;
    std::array<std::string, 5> nonresponseDialogTexts;
    std::array<std::string, 4> distributionTexts;
    std::array<std::string, 13> parameterTexts;
    std::array<std::string, 6> simulationWindowTexts;
    std::array<std::string, 16> statisticsTexts;
    std::string correctIntervalsText;
    std::array<std::string, 8> aboutTexts;
    // The stratified and the systematic design.
    std::array<std::string, 9> designDetailTexts;
    std::array<std::string, 11> stratifiedDialogTexts;
    std::array<std::string, 4> systematicDialogTexts;
};

/// \brief The texts, filled by FillInterfaceTexts.
extern TInterfaceTexts InterfaceTexts;

/// \brief Sets SimulationState.versionText and assigns every text anew (the same
/// values each time).
void FillInterfaceTexts();
