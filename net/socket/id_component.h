#pragma once
#include <cstdint>
#include <functional>
#include <string>

enum TIdStatus {
    StatusResolving,
    StatusConnecting,
    StatusConnected,
    StatusDisconnecting,
    StatusDisconnected,
    StatusText
};

enum TWorkMode { WorkRead, WorkWrite };

// Base of every network component: keeps the process-wide socket stack alive while any
// component exists, and reports status and work progress through its events.
class TIdComponent {
public:
    TIdComponent();
    virtual ~TIdComponent();
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;

    std::function<void(TIdComponent& sender, TIdStatus status, const std::string& text)> OnStatus;
    std::function<void(TIdComponent& sender, TWorkMode mode, int32_t count)> OnWork;
    std::function<void(TIdComponent& sender, TWorkMode mode, int32_t countMax)> OnWorkBegin;
    std::function<void(TIdComponent& sender, TWorkMode mode)> OnWorkEnd;

    // Fills the status's text with arg and fires OnStatus (nothing when unassigned).
    void ReportStatus(TIdStatus status, const std::string& arg = "");
    static std::string StatusMessage(TIdStatus status, const std::string& arg);

    // Work brackets nest: only the outermost fires OnWorkBegin/OnWorkEnd.
    virtual void StartWork(TWorkMode mode, int32_t countMax);
    virtual void AdvanceWork(TWorkMode mode, int32_t count);
    virtual void FinishWork(TWorkMode mode);
    int32_t WorkCount(TWorkMode mode) const { return FWork[mode].Count; }
    int32_t WorkCountMax(TWorkMode mode) const { return FWork[mode].Max; }
    int32_t WorkLevel(TWorkMode mode) const { return FWork[mode].Level; }

    // For a component set up from a stored form: properties set between BeginLoading and
    // Loaded are applied without their usual checks.
    void BeginLoading() { FLoading = true; }
    bool IsLoading() const { return FLoading; }
    virtual void Loaded() { FLoading = false; }

private:
    struct WorkState {
        int32_t Count = 0;
        int32_t Max = 0;
        int32_t Level = 0;
    };
    WorkState FWork[2];
    bool FLoading = false;
};

// A work bracket that closes also when the work ends by an exception.
class TIdWorkBracket {
public:
    TIdWorkBracket(TIdComponent& component, TWorkMode mode, int32_t countMax) : FComponent(component), FMode(mode)
    {
        FComponent.StartWork(mode, countMax);
    }
    ~TIdWorkBracket() { FComponent.FinishWork(FMode); }
    TIdWorkBracket(const TIdWorkBracket&) = delete;
    TIdWorkBracket& operator=(const TIdWorkBracket&) = delete;

private:
    TIdComponent& FComponent;
    TWorkMode FMode;
};
