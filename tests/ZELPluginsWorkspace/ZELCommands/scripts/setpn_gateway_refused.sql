UPDATE attributes SET value = 'prd-' || replace(hex(zeroblob(150)), '0', '7') WHERE name = 'PLM_ExternalID' AND value = 'prd-00012347';
