#include "Classes.h"

#include <algorithm>
#include <cstring>

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}

TComponent::TComponent(TComponent* Owner) : Owner_(Owner)
{
    if (Owner_)
        Owner_->Components_.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (Owner_)
        Owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction()
{
    Destroying_ = true;
}

void TComponent::DestroyComponents()
{
    // Each component takes itself off the list when it is destroyed.
    while (!Components_.empty()) {
        TComponent* last = Components_.back();
        last->Free();
    }
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(Components_.begin(), Components_.end(), component);
    if (it != Components_.end())
        Components_.erase(it);
    component->Owner_ = nullptr;
}

TComponent* TComponent::FindComponent(const char* name) const
{
    for (TComponent* component : Components_)
        if (_stricmp(component->Name.c_str(), name) == 0)
            return component;
    return nullptr;
}
