#pragma once
// The main window's settings commands: each checks its preconditions, opens its
// dialog over the main window and refreshes the information panel afterwards.

/// \brief Population > Display variable: choose a variable, then show its distribution.
void RunDisplayVariableCommand();
/// \brief Sample > Target variable.
void RunTargetVariableCommand();
/// \brief Sample > Sampling design.
void RunSamplingDesignCommand();
/// \brief Sample > Estimator.
void RunEstimatorCommand();
/// \brief Sample > Stratified design.
void RunStratifiedDesignCommand();
/// \brief Sample > Systematic design.
void RunSystematicDesignCommand();
/// \brief Sample > Cluster design.
void RunClusterDesignCommand();
/// \brief Nonresponse > Generate nonresponse.
void RunGenerateNonresponseCommand();
/// \brief Nonresponse > Full response: switches nonresponse off and keeps its
/// settings for the next "Generate nonresponse".
void RunFullResponseCommand();
/// \brief Simulation > Parameters.
void RunParametersCommand();
