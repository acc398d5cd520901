#pragma once
// The curated tables the clinical aids read: therapeutic duplications across ATC
// groups, high-risk drug-drug interactions, dose changes by kidney function, and
// the allergy words that name a drug class. Each row carries the public source
// it rests on. The tables are small on purpose: the combinations a family
// practice sees, not a full interaction compendium.
//
// A drug pattern is a list of terms; a drug matches when its ATC7 code starts
// with one of the ATC terms, or one of its ingredients equals an ingredient term
// (written "=NAME", normalised as normalizedIngredient does). Ingredient terms
// catch combination products whose own ATC code does not show the component.

#include <QList>
#include <QString>
#include <QStringList>

#include "report/drug_supply.h"

namespace report {

bool matchesPattern(const DrugSupply& drug, const QStringList& pattern);

// Two drugs of different ATC level-4 groups given for the same purpose.
struct DuplicationRule {
    QString name;       // shown as the group's code, e.g. "ACEI+ARB"
    QStringList first;  // one drug matches this
    QStringList second; // another, of another level-4 group, this
    QStringList exempt; // drugs that never count (lithium among the antipsychotics)
    QString reason;
    QString source;
};
const QList<DuplicationRule>& therapeuticDuplications();

enum class Severity { Contraindicated, Major, Moderate };
// "禁忌", "嚴重", "中度".
QString severityText(Severity s);

// Two (or, with `third`, three) drugs taken together.
struct InteractionRule {
    QString name;
    QStringList first;
    QStringList second;
    QStringList third;  // empty for a pair
    Severity severity = Severity::Moderate;
    QString reason;
    QString source;
};
const QList<InteractionRule>& interactionRules();

// A drug to change or avoid below an eGFR (mL/min/1.73 m²). With `withAny`, only
// while one of those drugs is also in supply.
struct RenalRule {
    QString name;
    QStringList drug;
    double below = 0;
    QString action;
    QStringList withAny;
    QString source;
};
const QList<RenalRule>& renalRules();

// Allergy words that name a class of drugs ("盤尼西林" -> the penicillins).
struct AllergyClass {
    QStringList words;    // upper case; matched as parts of the allergy text
    QStringList pattern;  // the drugs of the class
};
const QList<AllergyClass>& allergyClasses();

}  // namespace report
