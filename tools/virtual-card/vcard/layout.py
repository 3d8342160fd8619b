"""What the card stores where: file identifiers, application identifiers, the elements of
each data block (tag, how its value is written, largest value in bytes) and which SOD
covers which blocks."""

HEADER, DOCUMENT, FIXED_PERSO, VARIABLE_PERSO, VARIABLE_ADMIN = 0x0D00, 0x0D01, 0x0D02, 0x0D03, 0x0D04
SOD_FIXED, SOD_VARIABLE_PERSO, SOD_VARIABLE_ADMIN = 0x0D05, 0x0D06, 0x0D09
AA_PUBLIC_KEY, AA_PRIVATE_KEY_REF = 0x0D07, 0x0D08

APPLICATION_AIDS = {
    1: bytes.fromhex("F38100000253455256535A4B01"),
    7: bytes.fromhex("F381000002534552534F564F5A4B01"),
}

CARD_MANAGER_AIDS = [
    bytes.fromhex("A0000000030000"),
    bytes.fromhex("A000000003000000"),
    bytes.fromhex("A0000001510000"),
    bytes.fromhex("A000000018434D00"),
]

# SOD file -> (element tag of its single element, covered files in hash order).
SODS = {
    SOD_FIXED: (0x0750, [HEADER, DOCUMENT, FIXED_PERSO, AA_PUBLIC_KEY]),
    SOD_VARIABLE_PERSO: (0x0760, [VARIABLE_PERSO]),
    SOD_VARIABLE_ADMIN: (0x0770, [VARIABLE_ADMIN]),
}

# Value kinds: "utf16" UTF-16LE text, "ascii" US-ASCII text, "date" 8 ASCII digits
# DDMMYYYY, "code" ASCII code drawn from a fixed table (CODES).
# Each entry: (image field name, tag, kind, maximum value length in bytes, mandatory).
BLOCK_ELEMENTS = {
    DOCUMENT: [
        ("InsurerName", 0x0611, "utf16", 98, True),
        ("InsurerID", 0x0612, "ascii", 15, True),
        ("CardID", 0x0613, "ascii", 11, True),
        ("DateOfIssue", 0x0615, "date", 8, True),
        ("DateOfExpiry", 0x0616, "date", 8, True),
        ("ChipSerialNumber", 0x0617, "ascii", 16, True),
        ("PrintLanguage", 0x0618, "ascii", 2, True),
    ],
    FIXED_PERSO: [
        ("InsurantNumber", 0x0621, "ascii", 11, True),
        ("LastName", 0x0622, "utf16", 100, True),
        ("LastNameLatin", 0x0623, "utf16", 100, True),
        ("FirstName", 0x0624, "utf16", 100, True),
        ("FirstNameLatin", 0x0625, "utf16", 100, True),
        ("DateOfBirth", 0x0626, "date", 8, True),
    ],
    VARIABLE_PERSO: [
        ("CardID", 0x0630, "ascii", 11, True),
        ("DateOfIssue", 0x0631, "date", 8, True),
        ("DateOfExpiry", 0x0632, "date", 8, False),
        ("Permanent", 0x0633, "code", 1, True),
    ],
    VARIABLE_ADMIN: [
        ("CardID", 0x0640, "ascii", 11, True),
        ("ParentName", 0x0641, "utf16", 100, False),
        ("ParentNameLatin", 0x0642, "utf16", 100, False),
        ("Gender", 0x0643, "code", 2, True),
        ("IDNumber", 0x0644, "ascii", 13, True),
        ("Street", 0x0645, "utf16", 100, True),
        ("PostNumber", 0x0646, "ascii", 5, False),
        ("Municipality", 0x0647, "utf16", 50, True),
        ("Place", 0x0648, "utf16", 50, True),
        ("StreetCode", 0x0649, "ascii", 9, True),
        ("Number", 0x064A, "utf16", 10, True),
        ("Entrance", 0x064B, "utf16", 10, False),
        ("Apartment", 0x064C, "utf16", 10, False),
        ("RZZOUserRegistrationNumber", 0x064D, "ascii", 10, True),
        ("CarrierRelationship", 0x0650, "utf16", 40, False),
        ("InsuranceBasisRZZOCode", 0x064E, "ascii", 4, True),
        ("InsuranceBasisRZZO", 0x064F, "utf16", 440, True),
        ("CarrierFamilyMember", 0x0651, "code", 1, False),
        ("CarrierIdNumber", 0x0652, "ascii", 13, False),
        ("CarrierInsurantNumber", 0x0653, "ascii", 11, False),
        ("CarrierLastName", 0x0654, "utf16", 100, False),
        ("CarrierLastNameLatin", 0x0655, "utf16", 100, False),
        ("CarrierFirstName", 0x0656, "utf16", 100, False),
        ("CarrierFirstNameLatin", 0x0657, "utf16", 100, False),
        ("InsuredFrom", 0x0658, "date", 8, True),
        ("CountryCode", 0x0659, "ascii", 3, True),
        ("Country", 0x065A, "utf16", 100, True),
        ("BookletIssuerCode", 0x065B, "ascii", 3, True),
        ("InsurerBranch", 0x065C, "utf16", 60, True),
        ("InsurerOffice", 0x065D, "utf16", 70, False),
        ("TaxpayerName", 0x065E, "utf16", 400, True),
        ("TaxpayerResidence", 0x065F, "utf16", 50, True),
        ("TaxpayerNumber", 0x0660, "ascii", 9, False),
        ("TaxpayerIdNumber", 0x0661, "ascii", 13, False),
        ("TaxpayerActivityCode", 0x0662, "ascii", 5, False),
        ("ParticipationFreeBecause", 0x0663, "ascii", 3, False),
    ],
}

# Allowed values of the "code" elements, by tag.
CODES = {
    0x0633: {"0", "1"},
    0x0643: {"00", "01", "02"},
    0x0651: {"0", "1"},
}

# Image section name of each data block.
BLOCK_SECTIONS = {
    "document": DOCUMENT,
    "fixed_perso": FIXED_PERSO,
    "variable_perso": VARIABLE_PERSO,
    "variable_admin": VARIABLE_ADMIN,
}


def block_of_tag(tag):
    """The data block that declares element TAG, or None."""
    for block_id, elements in BLOCK_ELEMENTS.items():
        if any(t == tag for _, t, _, _, _ in elements):
            return block_id
    return None
