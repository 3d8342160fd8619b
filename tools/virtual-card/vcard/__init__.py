"""A virtual health insurance card for the vpcd virtual reader: card image, file
system, applet and link to the reader driver."""
