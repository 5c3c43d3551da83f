#pragma once
// The application's windows: each is created once at start, in the order of the
// fields below, hidden, and kept until the program ends.

class TMain;
class TSelVar;
class TPopDis;
class TSamDes;
class TSelectEstimator;
class TSetSim;
class TSimula;
class TTargetVariable;
class TStatistics;
class TNonresponse;
class TAboutBox;
class TConfidenceIntervals;
class TErrorMessage;
class TStratifiedDesign;
class TSystematicDesign;
class TClusterDesign;
class TComparison;
class TSampleWindow;

struct TForms {
    TMain* Main = nullptr;
    TSelVar* SelVar = nullptr;
    TPopDis* PopDis = nullptr;
    TSamDes* SamDes = nullptr;
    TSelectEstimator* SelectEstimator = nullptr;
    TSetSim* SetSim = nullptr;
    TSimula* Simula = nullptr;
    TTargetVariable* TargetVariable = nullptr;
    TStatistics* Statistics = nullptr;
    TNonresponse* Nonresponse = nullptr;
    TAboutBox* AboutBox = nullptr;
    TConfidenceIntervals* ConfidenceIntervals = nullptr;
    TErrorMessage* ErrorMessage = nullptr;
    TStratifiedDesign* StratifiedDesign = nullptr;
    TSystematicDesign* SystematicDesign = nullptr;
    TClusterDesign* ClusterDesign = nullptr;
    TComparison* Comparison = nullptr;
    TSampleWindow* SampleWindow = nullptr;
};

/// \brief The one instance of each window; a null pointer before it is created.
extern TForms Forms;
