#include "report/duplicate_check.h"

#include <QHash>
#include <QSet>
#include <algorithm>

#include "report/clinical_tables.h"

namespace report {

QString duplicateReasonText(DuplicateReason reason) {
    switch (reason) {
        case DuplicateReason::SameIngredient: return QStringLiteral("同成分");
        case DuplicateReason::SameClass: return QStringLiteral("同藥理類別");
        case DuplicateReason::SameEffect: return QStringLiteral("同療效");
        case DuplicateReason::Switch: return QStringLiteral("換藥?");
        case DuplicateReason::EarlyRefill: break;
    }
    return QStringLiteral("提早領藥");
}

bool countsAsDuplicate(DuplicateReason reason) {
    return reason == DuplicateReason::SameIngredient || reason == DuplicateReason::SameClass ||
           reason == DuplicateReason::SameEffect;
}

int DuplicateFindings::duplicateCount() const {
    return int(std::count_if(groups.begin(), groups.end(),
                             [](const DuplicateGroup& g) { return countsAsDuplicate(g.reason); }));
}

QString duplicateSummary(const DuplicateFindings& findings) {
    return QStringLiteral("重複用藥:%1").arg(findings.duplicateCount());
}

namespace {

// One drug among those in supply: the rows that hold the same ingredients and code.
struct Drug {
    QStringList tokens;
    QList<int> tokenIds;  // the tokens numbered, sorted
    QString atcClass;
    QList<int> rows;            // indices into the supplied rows
    // The first and last dispensing of any row sharing a token, and where from
    // (into the rows read).
    QDate first, last;
    const QString* firstSource = &noSource();
    const QString* lastSource = &noSource();

    static const QString& noSource() {
        static const QString none;
        return none;
    }
};

class Checker {
  public:
    Checker(const DrugSupplies& all, const QDate& day, const DuplicateOptions& options)
        : day_(day), options_(options) {
        for (const DrugSupply& s : all.rows)
            if (s.inSupplyOn(day)) supplied_ << &s;
        QList<int> byId(all.drugTokens.size(), -1);  // drugId -> index in drugs_
        for (int i = 0; i < supplied_.size(); ++i) {
            const DrugSupply& s = *supplied_.at(i);
            int& at = byId[s.drugId];
            if (at < 0) {
                at = int(drugs_.size());
                Drug d;
                d.tokens = s.tokens();
                d.atcClass = s.atcClass;
                drugs_.append(std::move(d));
            }
            drugs_[at].rows << i;
            prescriptionDrugs_.append({s.prescription, at});
        }
        // The history of every drug, in supply or not, for telling a switch.
        struct Span {
            QDate first, last;
            const QString* firstSource = nullptr;
            const QString* lastSource = nullptr;
        };
        QList<Span> spans(all.drugTokens.size());
        for (const DrugSupply& s : all.rows) {
            Span& sp = spans[s.drugId];
            if (!sp.first.isValid() || s.start < sp.first) {
                sp.first = s.start;
                sp.firstSource = &s.source;
            }
            if (!sp.last.isValid() || s.start > sp.last) {
                sp.last = s.start;
                sp.lastSource = &s.source;
            }
        }
        // A drug's history takes in every drug sharing an ingredient with it.
        // Tokens as numbers: the drugs are compared many times.
        QHash<QString, int> tokenNumbers;
        auto numbered = [&tokenNumbers](const QStringList& tokens) {
            QList<int> ids;
            for (const QString& t : tokens) {
                auto it = tokenNumbers.constFind(t);
                if (it == tokenNumbers.constEnd()) it = tokenNumbers.insert(t, int(tokenNumbers.size()));
                ids << *it;
            }
            std::sort(ids.begin(), ids.end());
            return ids;
        };
        for (Drug& d : drugs_) d.tokenIds = numbered(d.tokens);
        QList<QList<int>> historyTokens;
        for (const QStringList& t : all.drugTokens) historyTokens << numbered(t);
        for (Drug& d : drugs_)
            for (qsizetype id = 0; id < spans.size(); ++id) {
                const Span& sp = spans.at(id);
                if (!sp.first.isValid() || !idsMeet(d.tokenIds, historyTokens.at(id))) continue;
                if (!d.first.isValid() || sp.first < d.first) {
                    d.first = sp.first;
                    d.firstSource = sp.firstSource;
                }
                if (!d.last.isValid() || sp.last > d.last) {
                    d.last = sp.last;
                    d.lastSource = sp.lastSource;
                }
            }
        relate();
    }

    QList<DuplicateGroup> run() const {
        QList<DuplicateGroup> groups = sameIngredient();
        groups += sameClass();
        groups += sameEffect();
        std::stable_sort(groups.begin(), groups.end(),
                         [](const DuplicateGroup& a, const DuplicateGroup& b) {
                             if (a.reason != b.reason) return a.reason < b.reason;
                             const QDate na = a.entries.first().date, nb = b.entries.first().date;
                             return na != nb ? na > nb : a.code < b.code;
                         });
        return groups;
    }

  private:
    // Days both supplies cover, as far as the site's figures reach.
    qint64 overlapDays(const DrugSupply& a, const DrugSupply& b) const {
        const QDate from = std::max(a.start, b.start);
        const QDate to = std::min(a.lastDayOn(day_), b.lastDayOn(day_));
        return from.daysTo(to) + 1;
    }

    // The later supply was collected shortly before the earlier one ran out: a
    // few days, and not more than half of the earlier supply (a second 7-day
    // course the next day is a duplicate, not a refill).
    bool earlyRefill(const DrugSupply& a, const DrugSupply& b) const {
        const DrugSupply& earlier = a.start <= b.start ? a : b;
        const qint64 overlap = overlapDays(a, b);
        const qint64 length = earlier.start.daysTo(earlier.lastDayOn(day_)) + 1;
        return overlap <= options_.earlyRefillDays && overlap * 2 <= length;
    }

    static bool idsMeet(const QList<int>& a, const QList<int>& b) {
        auto i = a.begin(), j = b.begin();
        while (i != a.end() && j != b.end()) {
            if (*i == *j) return true;
            if (*i < *j)
                ++i;
            else
                ++j;
        }
        return false;
    }
    static bool tokensMeet(const Drug& a, const Drug& b) { return idsMeet(a.tokenIds, b.tokenIds); }
    int indexOf(const Drug& d) const { return int(&d - drugs_.constData()); }
    bool share(const Drug& a, const Drug& b) const {
        return shares_.at(indexOf(a) * drugs_.size() + indexOf(b));
    }
    // Combined on purpose: one prescription in supply holds a drug like `a` and
    // a drug like `b` (aspirin and clopidogrel after a stent).
    bool combined(const Drug& a, const Drug& b) const {
        return combined_.at(indexOf(a) * drugs_.size() + indexOf(b));
    }

    // Which drugs share an ingredient, and which are combined in a prescription:
    // x and y are when some prescription holds a drug sharing with x and one
    // sharing with y.
    void relate() {
        const qsizetype n = drugs_.size();
        shares_.fill(false, n * n);
        QList<QList<int>> sharers(n);
        for (qsizetype x = 0; x < n; ++x)
            for (qsizetype y = 0; y < n; ++y)
                if (tokensMeet(drugs_.at(x), drugs_.at(y))) {
                    shares_[x * n + y] = true;
                    sharers[x] << int(y);
                }
        QList<bool> together(n * n, false);
        std::sort(prescriptionDrugs_.begin(), prescriptionDrugs_.end());
        for (qsizetype from = 0, to = 0; from < prescriptionDrugs_.size(); from = to) {
            while (to < prescriptionDrugs_.size() &&
                   prescriptionDrugs_.at(to).first == prescriptionDrugs_.at(from).first)
                ++to;
            for (qsizetype a = from; a < to; ++a)
                for (qsizetype b = from; b < to; ++b)
                    together[prescriptionDrugs_.at(a).second * n +
                             prescriptionDrugs_.at(b).second] = true;
        }
        combined_.fill(false, n * n);
        for (qsizetype p = 0; p < n; ++p)
            for (qsizetype q = 0; q < n; ++q) {
                if (!together.at(p * n + q)) continue;
                for (int x : sharers.at(p))
                    for (int y : sharers.at(q)) combined_[x * n + y] = true;
            }
    }

    // Every dispensing of one drug comes before every dispensing of the other, and
    // the new one came from where the old one last did: the doctor changed the
    // drug and the old supply has not run out yet. From two institutions it is
    // two doctors' drugs.
    static bool switched(const Drug& a, const Drug& b) {
        return (a.last < b.first && *a.lastSource == *b.firstSource) ||
               (b.last < a.first && *b.lastSource == *a.firstSource);
    }

    DuplicateGroup group(DuplicateReason reason, const QString& code, const QString& note,
                         const QList<int>& members) const {
        DuplicateGroup g;
        g.reason = reason;
        g.code = code;
        g.note = note;
        for (int i : members) {
            const DrugSupply& s = *supplied_.at(i);
            g.entries.append({s.row, s.visit, s.start, s.remainingOn(day_)});
        }
        std::stable_sort(
            g.entries.begin(), g.entries.end(),
            [](const DuplicateEntry& a, const DuplicateEntry& b) { return a.date > b.date; });
        return g;
    }

    QList<DuplicateGroup> sameIngredient() const {
        // Each row under every ingredient it holds and under its ATC7 code.
        QHash<QString, QList<int>> byToken;
        QStringList order;
        for (const Drug& d : drugs_)
            for (const QString& t : d.tokens) {
                if (!byToken.contains(t)) order << t;
                byToken[t] += d.rows;
            }
        for (QList<int>& rows : byToken) std::sort(rows.begin(), rows.end());
        QList<DuplicateGroup> out;
        QList<QSet<int>> kept;
        for (const QString& token : order) {
            const QList<int>& members = byToken.value(token);
            if (members.size() < 2) continue;
            const QSet<int> set(members.begin(), members.end());
            // A code that only repeats an ingredient's group adds nothing.
            if (std::any_of(kept.begin(), kept.end(), [&](const QSet<int>& k) {
                    return set.size() <= k.size() && k.contains(set);
                }))
                continue;
            bool pair = false, duplicate = false;
            qint64 early = 0;
            // One pair taken twice decides; the early refills matter only without one.
            for (int x = 0; x < members.size() && !duplicate; ++x)
                for (int y = x + 1; y < members.size() && !duplicate; ++y) {
                    const DrugSupply& a = *supplied_.at(members.at(x));
                    const DrugSupply& b = *supplied_.at(members.at(y));
                    if (a.prescription == b.prescription) continue;
                    pair = true;
                    if (earlyRefill(a, b))
                        early = std::max(early, overlapDays(a, b));
                    else
                        duplicate = true;
                }
            if (!pair) continue;
            kept << set;
            const QString note =
                duplicate ? QString() : QStringLiteral("前次藥尚餘 %1 天時領藥").arg(early);
            out << group(duplicate ? DuplicateReason::SameIngredient : DuplicateReason::EarlyRefill,
                         token, note, members);
        }
        return out;
    }

    // Pairs of a drug of `firsts` and another of `seconds` that `related` joins and
    // no prescription combines; one group, a switch when every pair is one.
    template <typename Related>
    void pairGroup(DuplicateReason reason, const QString& code, const QString& note,
                   const QList<int>& firsts, const QList<int>& seconds, Related related,
                   QList<DuplicateGroup>& out) const {
        QSet<int> members;
        bool duplicate = false;
        for (int x : firsts)
            for (int y : seconds) {
                if (x == y) continue;
                const Drug& a = drugs_.at(x);
                const Drug& b = drugs_.at(y);
                if (!related(a, b) || share(a, b) || combined(a, b)) continue;
                members.insert(x);
                members.insert(y);
                if (!switched(a, b)) duplicate = true;
            }
        if (members.isEmpty()) return;
        QList<int> rows;
        for (int d : members) rows += drugs_.at(d).rows;
        std::sort(rows.begin(), rows.end());
        out << group(duplicate ? reason : DuplicateReason::Switch, code, note, rows);
    }

    QList<DuplicateGroup> sameClass() const {
        QStringList classes;
        QHash<QString, QList<int>> members;
        for (int i = 0; i < drugs_.size(); ++i) {
            const QString& c = drugs_.at(i).atcClass;
            if (c.isEmpty()) continue;
            if (!members.contains(c)) classes << c;
            members[c] << i;
        }
        QList<DuplicateGroup> out;
        for (const QString& c : classes) {
            const QList<int>& in = members.value(c);
            pairGroup(DuplicateReason::SameClass, c, QString(), in, in,
                      [](const Drug&, const Drug&) { return true; }, out);
        }
        return out;
    }

    QList<DuplicateGroup> sameEffect() const {
        QList<DuplicateGroup> out;
        for (const DuplicationRule& rule : therapeuticDuplications()) {
            QList<int> firsts, seconds;
            for (int i = 0; i < drugs_.size(); ++i) {
                const DrugSupply& s = *supplied_.at(drugs_.at(i).rows.first());
                if (matchesPattern(s, rule.exempt)) continue;
                if (matchesPattern(s, rule.first)) firsts << i;
                if (matchesPattern(s, rule.second)) seconds << i;
            }
            // Across level-4 groups only: within one, the class check speaks.
            pairGroup(DuplicateReason::SameEffect, rule.name,
                      rule.reason + QStringLiteral(" [") + rule.source + u']', firsts, seconds,
                      [](const Drug& a, const Drug& b) {
                          return a.atcClass.isEmpty() || a.atcClass != b.atcClass;
                      },
                      out);
        }
        return out;
    }

    QDate day_;
    DuplicateOptions options_;
    QList<const DrugSupply*> supplied_;  // into the rows read
    QList<Drug> drugs_;
    QList<QPair<int, int>> prescriptionDrugs_;  // (prescription, drug) of each row in supply
    QList<bool> shares_, combined_;  // drugs x drugs
};

}  // namespace

DuplicateFindings findDuplicates(const CloudTable& drugs, const QDate& day,
                                 const DuplicateOptions& options) {
    return findDuplicates(readDrugSupplies(drugs), int(drugs.rows.size()), day, options);
}

DuplicateFindings findDuplicates(const DrugSupplies& all, int rowCount, const QDate& day,
                                 const DuplicateOptions& options) {
    DuplicateFindings out;
    out.day = day;
    out.earlyRefillDays = options.earlyRefillDays;
    out.rowFlags.fill(false, rowCount);
    out.rowWarnings.fill(QString(), rowCount);
    out.skipped = all.skipped;
    out.skippedText = all.skippedText();
    if (!day.isValid()) return out;

    out.groups = Checker(all, day, options).run();
    // Each reason once per row, in the groups' order.
    QList<quint8> reasons(rowCount, 0);
    for (const DuplicateGroup& g : out.groups)
        for (const DuplicateEntry& e : g.entries) {
            if (e.row < 0 || e.row >= rowCount) continue;
            if (countsAsDuplicate(g.reason)) out.rowFlags[e.row] = true;
            const quint8 bit = quint8(1u << int(g.reason));
            if (reasons.at(e.row) & bit) continue;
            reasons[e.row] |= bit;
            QString& w = out.rowWarnings[e.row];
            w = w.isEmpty() ? duplicateReasonText(g.reason) : w + u' ' + duplicateReasonText(g.reason);
        }
    return out;
}

}  // namespace report
