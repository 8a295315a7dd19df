#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace fin {

enum class TVariableType { vtInteger, vtFloat, vtString };

// The name=value list of a conter. Names carry their brackets ("[UkPDV]"); values are text.
// The list keeps the order of first assignment and finds a name regardless of letter case.
//
// A list may stand on a base: a list of names and values shared, unchanged, by every
// document of a run (the zeros every document starts from). The base's entries come first
// in the order, with whatever this list set over them; so a document costs the same
// whether the base holds ten names or ten thousand.
class TVariableList {
public:
    TVariableList() = default;
    explicit TVariableList(std::shared_ptr<const TVariableList> base);

    // The value under a name, or null when the list has none.
    const QString* Find(const QString& name) const;
    QString Value(const QString& name) const;
    bool Contains(const QString& name) const { return Find(name) != nullptr; }
    // An empty value removes the name's line; a new name is appended at the end.
    void SetValue(const QString& name, const QString& value);

    int Count() const;
    // Every line in order.
    void ForEach(const std::function<void(const QString& name, const QString& value)>& f) const;
    QStringList Lines() const;  // "name=value"

    // AddVariable of the conters: the key is "[" + name + "]"; see the conter's rules on
    // integers, floats, texts, accumulation and skipped zeros.
    void Add(const QString& name, const QVariant& value, TVariableType type, bool accumulate,
             bool skipZero);

private:
    struct TEntry {
        QString name;
        QString value;
        bool removed = false;
    };
    // A name as the index holds it: compared and hashed without regard to letter case,
    // without a lower-case copy at every look-up.
    struct TKey {
        QString name;
        bool operator==(const TKey& other) const {
            return name.compare(other.name, Qt::CaseInsensitive) == 0;
        }
    };
    friend size_t qHash(const TKey& key, size_t seed) noexcept;
    int OwnIndex(const QString& name) const;

    std::shared_ptr<const TVariableList> base_;
    std::vector<TEntry> entries_;
    QHash<TKey, int> index_;        // name -> entry
    QHash<int, TEntry> overrides_;  // base entry -> this list's value or removal
};

// Text of a number as the variables hold it: up to 13 decimals, a decimal point, no
// grouping ("0.#############").
QString VariableNumber(double value);

}  // namespace fin
