#include "services/service_identity.h"

namespace TAVQ {

const ServiceIdentity& DocReadServiceIdentity() {
  // DocReadService {7D48577E-1A3F-4594-BB34-0623856318A1}, IDocReadService {FFE240A9-7B5E-4925-B51F-0116CDC8372C}
  static const ServiceIdentity identity{
      {0x7D48577E, 0x1A3F, 0x4594, {0xBB, 0x34, 0x06, 0x23, 0x85, 0x63, 0x18, 0xA1}},
      {0xFFE240A9, 0x7B5E, 0x4925, {0xB5, 0x1F, 0x01, 0x16, 0xCD, 0xC8, 0x37, 0x2C}},
      u"KAVRIN.HC.DocRead.1"};
  return identity;
}

const ServiceIdentity& SmartCardServiceIdentity() {
  // SmartCardService {4EC0F0FC-9E17-44BB-ABD0-C7152453CA0E}, ISmartCardService {1D757101-27A0-4014-B62D-6F53969D2F9F}
  static const ServiceIdentity identity{
      {0x4EC0F0FC, 0x9E17, 0x44BB, {0xAB, 0xD0, 0xC7, 0x15, 0x24, 0x53, 0xCA, 0x0E}},
      {0x1D757101, 0x27A0, 0x4014, {0xB6, 0x2D, 0x6F, 0x53, 0x96, 0x9D, 0x2F, 0x9F}},
      u"KAVRIN.HC.SmartCard.1"};
  return identity;
}

}  // namespace TAVQ
