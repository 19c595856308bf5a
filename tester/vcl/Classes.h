// Components and their ownership, events and the window-message record.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Property.h"
#include "SysUtils.h"

class TObject {
public:
    virtual ~TObject() = default;

    // Called right after the outermost constructor has finished, and right before the
    // destructor runs (by Free, by an owner destroying its components, by the application).
    virtual void AfterConstruction() {}
    virtual void BeforeDestruction() {}

    // BeforeDestruction, then delete.
    void Free();
};

// An event handler: `Button->OnClick = [this](TObject* Sender) { OkButtonClick(Sender); };`.
// Empty means no handler.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// One window message as the message map sees it; Result is the window's answer.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// A component owns the components created with it as owner and frees them when it is freed,
// last created first.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* Owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return Owner_; }
    int ComponentCount() const { return static_cast<int>(Components_.size()); }
    TComponent* Components(int index) const { return Components_[index]; }
    // The owned component with this Name (case-insensitive), or nullptr.
    TComponent* FindComponent(const char* name) const;
    // Frees every owned component, last created first.
    void DestroyComponents();
    // True from BeforeDestruction on: changes no longer repaint.
    bool Destroying() const { return Destroying_; }

    void BeforeDestruction() override;

    std::string Name;

private:
    void RemoveComponent(TComponent* component);

    TComponent* Owner_;
    std::vector<TComponent*> Components_;
    bool Destroying_ = false;
};
