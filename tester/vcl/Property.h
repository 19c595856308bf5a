// A value member that tells its owner when it really changes. Components expose their settings
// as these, so that `Shape->Brush.Color = clRed;` reads like the class library's properties and
// assigning the value a member already has costs nothing (no repaint, no window call).
#pragma once

#include <type_traits>
#include <utility>

template <class T, class Owner>
class Property {
public:
    using ChangeHandler = void (Owner::*)();

    Property(Owner* owner, ChangeHandler onChange, T initial = T())
        : Value_(std::move(initial)), Owner_(owner), OnChange_(onChange) {}

    // A property belongs to one owner; copying would leave it pointing at the wrong one.
    Property(const Property&) = delete;
    // `a->Left = b->Left;` copies the value, not the binding.
    Property& operator=(const Property& other) { return *this = other.Value_; }

    Property& operator=(const T& value)
    {
        if (Store(value) && OnChange_)
            (Owner_->*OnChange_)();
        return *this;
    }

    operator const T&() const { return Value_; }
    const T& Get() const { return Value_; }

    // `Label->Caption->size()`, `Control->Parent->Handle()`.
    auto operator->() const
    {
        if constexpr (std::is_pointer_v<T>)
            return Value_;
        else
            return &Value_;
    }

    // Sets the value without telling the owner; true when it differed. For the owner's own use,
    // e.g. SetBounds changing four values and then moving the window once.
    bool Store(const T& value)
    {
        if (Value_ == value)
            return false;
        Value_ = value;
        return true;
    }

private:
    T Value_;
    Owner* Owner_;
    ChangeHandler OnChange_;
};

template <class X>
struct IsProperty : std::false_type {};
template <class T, class O>
struct IsProperty<Property<T, O>> : std::true_type {};

// Comparisons with plain values (`Label->Caption == "Brake"` needs these: std::string's own
// operators are templates and do not look through the conversion).
template <class T, class O, class U, class = std::enable_if_t<!IsProperty<U>::value>>
bool operator==(const Property<T, O>& p, const U& v) { return p.Get() == v; }
template <class T, class O, class U, class = std::enable_if_t<!IsProperty<U>::value>>
bool operator==(const U& v, const Property<T, O>& p) { return v == p.Get(); }
template <class T, class O, class U, class = std::enable_if_t<!IsProperty<U>::value>>
bool operator!=(const Property<T, O>& p, const U& v) { return !(p.Get() == v); }
template <class T, class O, class U, class = std::enable_if_t<!IsProperty<U>::value>>
bool operator!=(const U& v, const Property<T, O>& p) { return !(v == p.Get()); }
