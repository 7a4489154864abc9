#pragma once
// The Access-made files of the fixtures folder by what they are (paths relative
// to JET_FIXTURES; see its README).
#include <array>

namespace oracles {

// The empty Jet 4 databases: targets for scripts that build a whole schema.
inline constexpr std::array<const char*, 4> kEmptyJet4Databases = {
    "jackcess/emptyV2000.mdb",
    "jackcess/emptyV2003.mdb",
    "jackcess/emptyJet4.mdb",
    "jackcess/adox_jet4.mdb",
};

// Every Jet 4 file that holds tables.
inline constexpr std::array<const char*, 21> kJet4FixturesWithTables = {
    "jackcess/bigIndexTestV2000.mdb",    "jackcess/bigIndexTestV2003.mdb",
    "jackcess/compIndexTestV2000.mdb",   "jackcess/delColTestV2000.mdb",
    "jackcess/delTestV2000.mdb",         "jackcess/fixedNumericTestV2000.mdb",
    "jackcess/fixedTextTestV2000.mdb",   "jackcess/indexCursorTestV2000.mdb",
    "jackcess/indexTestV2000.mdb",       "jackcess/overflowTestV2000.mdb",
    "jackcess/queryTestV2000.mdb",       "jackcess/test2V2000.mdb",
    "jackcess/test2V2003.mdb",           "jackcess/testIndexPropertiesV2000.mdb",
    "jackcess/testPromotionV2000.mdb",   "jackcess/testRefGlobalV2000.mdb",
    "jackcess/testUnicodeCompV2003.mdb", "teaching/ADVWORKS.mdb",
    "teaching/Comptoir2000.mdb",         "teaching/Gymnase2000.mdb",
    "teaching/ProductSales-student.mdb",
};

// Every Access 97 (Jet 3) file: databases, and two workgroups whose pages are
// encoded.
inline constexpr std::array<const char*, 20> kJet3Fixtures = {
    "jet3/Library97.mdb",
    "jet3/arabic97.mdb",
    "jet3/biblio97.mdb",
    "jet3/blankAccess97.mdb",
    "jet3/blankEngine97.mdb",
    "jet3/hotel97.mdb",
    "jet3/pictures97.mdb",
    "jet3/turkish97.mdb",
    "jackcess/compIndexTestV1997.mdb",
    "jackcess/delColTestV1997.mdb",
    "jackcess/delTestV1997.mdb",
    "jackcess/indexTestV1997.mdb",
    "jackcess/overflowTestV1997.mdb",
    "jackcess/queryTestV1997.mdb",
    "jackcess/test2V1997.mdb",
    "jackcess/testIndexCodesV1997.mdb",
    "jackcess/testV1997.mdb",
    "mdbtestdata/nwind.mdb",
    "secured/many-accounts97.mdw",
    "workgroup/system.mdw",
};

// The empty Access 97 databases: one made by Access, one by the data engine.
inline constexpr std::array<const char*, 2> kEmptyJet3Databases = {
    "jet3/blankAccess97.mdb",
    "jet3/blankEngine97.mdb",
};

// Every Access 97 database that holds tables.
inline constexpr std::array<const char*, 16> kJet3FixturesWithTables = {
    "jet3/Library97.mdb",
    "jet3/arabic97.mdb",
    "jet3/biblio97.mdb",
    "jet3/hotel97.mdb",
    "jet3/pictures97.mdb",
    "jet3/turkish97.mdb",
    "jackcess/compIndexTestV1997.mdb",
    "jackcess/delColTestV1997.mdb",
    "jackcess/delTestV1997.mdb",
    "jackcess/indexTestV1997.mdb",
    "jackcess/overflowTestV1997.mdb",
    "jackcess/queryTestV1997.mdb",
    "jackcess/test2V1997.mdb",
    "jackcess/testIndexCodesV1997.mdb",
    "jackcess/testV1997.mdb",
    "mdbtestdata/nwind.mdb",
};

// Populated files that changes are tried on.
inline constexpr std::array<const char*, 3> kPopulatedJet4Fixtures = {
    "teaching/Comptoir2000.mdb",
    "jackcess/test2V2000.mdb",
    "jackcess/testRefGlobalV2000.mdb",
};

}  // namespace oracles
